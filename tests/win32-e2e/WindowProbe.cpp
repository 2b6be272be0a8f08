// win32_window_probe: the eyes and hands of the end-to-end test on the Windows
// side. It looks at the program's window as a user would and presses what a
// user would press.
//
//   win32_window_probe state      caption, the buttons' enabled states, the spoken texts, the message box
//   win32_window_probe click N    presses the N-th button (0 is the first, left to right)
//   win32_window_probe press N    presses the N-th enabled button, N modulo their count, as
//                                 a user would: prints "pressed <its index>", or "pressed none"
//   win32_window_probe dismiss    presses OK in the message box
//   win32_window_probe close      closes the window
//
// "state" prints, in UTF-8, one line each: "caption <text>", "button <text>"
// for each button, "buttons <1 or 0 per button, enabled or not>", "label <text>"
// for each text a screen reader reads (line breaks as blanks), and
// "message <text>" while a message box is shown. Every verb ends with 1 while
// the window is not shown.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kMessageTextId = 0xFFFF;  // the message box's text control

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return "";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &result[0], size, nullptr, nullptr);
    return result;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

HWND FindTopLevel(bool (*match)(HWND)) {
    struct Search {
        bool (*Match)(HWND);
        HWND Found;
    } search{match, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (!s->Match(window)) return TRUE;
            s->Found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND MainWindow() {
    return FindTopLevel([](HWND w) { return IsWindowVisible(w) && ClassName(w) == L"TZorvGSMDemoMainForm"; });
}

HWND MessageBoxOf(HWND main) {
    static HWND owner;
    owner = main;
    return FindTopLevel(
        [](HWND w) { return IsWindowVisible(w) && ClassName(w) == L"#32770" && GetWindow(w, GW_OWNER) == owner; });
}

// Left to right, as the user sees them.
std::vector<HWND> Buttons(HWND main) {
    std::vector<HWND> buttons;
    for (HWND child = FindWindowExW(main, nullptr, L"BUTTON", nullptr); child;
         child = FindWindowExW(main, child, L"BUTTON", nullptr))
        buttons.push_back(child);
    return buttons;
}

void PrintLine(const char* name, const std::string& value) {
    std::string line = std::string(name) + " " + value + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

int PrintState(HWND main) {
    PrintLine("caption", Utf8(WindowText(main)));
    std::string enabled;
    for (HWND button : Buttons(main)) {
        enabled += IsWindowEnabled(button) ? '1' : '0';
        PrintLine("button", Utf8(WindowText(button)));
    }
    PrintLine("buttons", enabled);
    // What a screen reader reads of the drawn state and action texts.
    for (HWND child = FindWindowExW(main, nullptr, L"STATIC", nullptr); child;
         child = FindWindowExW(main, child, L"STATIC", nullptr)) {
        std::string text = Utf8(WindowText(child));
        for (char& c : text)
            if (c == '\r' || c == '\n') c = ' ';
        PrintLine("label", text);
    }
    if (HWND box = MessageBoxOf(main)) {
        std::string text = Utf8(WindowText(GetDlgItem(box, kMessageTextId)));
        for (char& c : text)
            if (c == '\r' || c == '\n') c = ' ';
        PrintLine("message", text);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string verb = argc > 1 ? argv[1] : "";
    HWND main = MainWindow();
    if (!main) return 1;
    if (verb == "state") return PrintState(main);
    if (verb == "click" && argc == 3) {
        const std::vector<HWND> buttons = Buttons(main);
        const size_t index = static_cast<size_t>(std::atoi(argv[2]));
        if (index >= buttons.size()) return 2;
        PostMessageW(buttons[index], BM_CLICK, 0, 0);
        return 0;
    }
    if (verb == "press" && argc == 3) {
        // Chosen and pressed at one look, so the state hardly changes between the two (it can
        // before the program takes the posted click, as it can before a user's click).
        std::vector<HWND> enabled;
        for (HWND button : Buttons(main))
            if (IsWindowEnabled(button)) enabled.push_back(button);
        if (enabled.empty()) {
            PrintLine("pressed", "none");
            return 0;
        }
        const HWND button = enabled[static_cast<size_t>(std::strtoul(argv[2], nullptr, 10)) % enabled.size()];
        const std::vector<HWND> all = Buttons(main);
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i] == button) PrintLine("pressed", std::to_string(i));
        PostMessageW(button, BM_CLICK, 0, 0);
        return 0;
    }
    if (verb == "dismiss") {
        HWND box = MessageBoxOf(main);
        if (!box) return 1;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return 0;
    }
    if (verb == "close") {
        PostMessageW(main, WM_CLOSE, 0, 0);
        return 0;
    }
    std::fputs("usage: win32_window_probe state | click N | press N | dismiss | close\n", stderr);
    return 2;
}
