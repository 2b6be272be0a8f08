#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TempDir.h"

namespace zorv {
namespace {

constexpr ULONGLONG kLimitMs = 30000;

struct TFound {
    DWORD ProcessId;
    HWND Window;
};

// The program's main window, once it is visible.
HWND FindShownWindow(DWORD processId) {
    TFound found{processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* f = reinterpret_cast<TFound*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (owner == f->ProcessId && std::wstring(name) == L"TZorvGSMDemoMainForm" && IsWindowVisible(window)) {
                f->Window = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.Window;
}

std::vector<HWND> Buttons(HWND window) {
    std::vector<HWND> buttons;
    for (HWND child = FindWindowExW(window, nullptr, L"BUTTON", nullptr); child;
         child = FindWindowExW(window, child, L"BUTTON", nullptr))
        buttons.push_back(child);
    return buttons;
}

// The whole program: it starts, shows its window waiting for a panel, and ends when the window closes.
TEST(Win32Program, StartsWaitingForAPanelAndEndsWhenClosed) {
    test::TempDir workingDir;  // the error log would be written here
    std::wstring commandLine = L"\"" + std::wstring(ZORV_PROGRAM_EXE, ZORV_PROGRAM_EXE + sizeof ZORV_PROGRAM_EXE - 1) + L"\"";
    const std::wstring folder(workingDir.Path().begin(), workingDir.Path().end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                               &process));

    HWND window = nullptr;
    for (const ULONGLONG limit = GetTickCount64() + kLimitMs; !window && GetTickCount64() < limit; Sleep(50))
        window = FindShownWindow(process.dwProcessId);
    EXPECT_NE(window, nullptr);
    if (window) {
        wchar_t caption[128] = {};
        GetWindowTextW(window, caption, 128);
        // "Зорв GSM: демонстрация работы. Версия 1.0.1"
        EXPECT_EQ(std::wstring(caption),
                  L"\u0417\u043E\u0440\u0432 GSM: \u0434\u0435\u043C\u043E\u043D\u0441\u0442\u0440\u0430\u0446\u0438\u044F "
                  L"\u0440\u0430\u0431\u043E\u0442\u044B. \u0412\u0435\u0440\u0441\u0438\u044F 1.0.1");
        const std::vector<HWND> buttons = Buttons(window);
        EXPECT_EQ(buttons.size(), 5u);
        for (HWND button : buttons) EXPECT_FALSE(IsWindowEnabled(button));  // no panel: nothing to do yet
        PostMessageW(window, WM_CLOSE, 0, 0);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    EXPECT_EQ(WaitForSingleObject(process.hProcess, static_cast<DWORD>(kLimitMs)), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(workingDir.Read("ErrLog.txt"), "");
}

}  // namespace
}  // namespace zorv
