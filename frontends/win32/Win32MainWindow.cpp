#include "frontends/win32/Win32MainWindow.h"

#include <commctrl.h>

#include "form/ProgramTexts.h"
#include "foundation/Cp1251.h"
#include "foundation/Exceptions.h"
#include "frontends/win32/Win32Dpi.h"
#include "frontends/win32/Win32MessageLoop.h"
#include "frontends/win32/Win32Text.h"

namespace zorv {
namespace {

const wchar_t kWindowClass[] = L"TZorvGSMDemoMainForm";
const wchar_t kPanelClass[] = L"TZorvGSMDemoPanel";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int kFontHeight = 11;  // pixels: Tahoma 8 points at 96 dots per inch
constexpr int kFirstButtonId = 100;

size_t Index(TButtonId id) { return static_cast<size_t>(id); }
size_t Index(TLabelId id) { return static_cast<size_t>(id); }

// The font's height and the labels' line pitch at dpi, both rounded down: a
// label one line high in the table, whose height rounds either way, still
// holds its line, and the text is never taller than its line.
int ScaledDown(int value, UINT dpi) { return value * static_cast<int>(dpi) / kDesignDpi; }
int LineHeight(UINT dpi) { return ScaledDown(TWin32FormattedLabel::kLineHeight, dpi); }

COLORREF ToColorRef(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

HFONT CreateWindowFont(int weight, UINT dpi) {
    return CreateFontW(-ScaledDown(kFontHeight, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
}

void RegisterClasses(WNDPROC windowProc, WNDPROC panelProc) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.hIcon = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, 32, 32, LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, 16, 16, LR_SHARED));
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);  // a second window registers it again harmlessly

    WNDCLASSEXW panelClass{};
    panelClass.cbSize = sizeof panelClass;
    panelClass.lpfnWndProc = panelProc;
    panelClass.hInstance = instance;
    panelClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    panelClass.lpszClassName = kPanelClass;
    RegisterClassExW(&panelClass);
}

// The outer size that gives this client area with the frame at dpi; at 96
// dots per inch, on the classic frame of 4 pixels and caption of 23, it is 648 x 520.
SIZE OuterSize(SIZE client, UINT dpi) {
    const RECT rect = OuterRect(RECT{0, 0, client.cx, client.cy}, kWindowStyle, 0, dpi);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

SIZE ClientSize(UINT dpi) {
    return SIZE{ScaleToDpi(kClientWidth, static_cast<int>(dpi)), ScaleToDpi(kClientHeight, static_cast<int>(dpi))};
}

POINT CentredOnWorkArea(SIZE size) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return POINT{area.left + (area.right - area.left - size.cx) / 2, area.top + (area.bottom - area.top - size.cy) / 2};
}

template <class Owner>
Owner* OwnerOf(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

TWin32MainWindow::TWin32MainWindow() : TWin32MainWindow(SystemDpi()) {
    // Windows 10 tells the monitor's own scale, which may differ from the
    // system's: the window follows it as it would a move there.
    const UINT dpi = WindowDpi(FWindow);
    if (dpi == FDpi) return;
    Rescale(dpi);
    FitClientArea();
}

TWin32MainWindow::TWin32MainWindow(UINT dpi)
    : FDpi(dpi),
      FClientSize(ClientSize(dpi)),
      FOuterSize(OuterSize(FClientSize, dpi)),
      FFont(CreateWindowFont(FW_NORMAL, dpi)),
      FBoldFont(CreateWindowFont(FW_BOLD, dpi)),
      FBackground(static_cast<HBITMAP>(
          LoadImageW(GetModuleHandleW(nullptr), L"BACKGROUND", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))),
      FPanelColor(ToColorRef(kPanelColor)) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterClasses(&TWin32MainWindow::WindowProc, &TWin32MainWindow::PanelProc);

    const POINT position = CentredOnWorkArea(FOuterSize);
    FWindow = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, ToWide(DesignCaption()).c_str(), kWindowStyle,
                              position.x, position.y, FOuterSize.cx, FOuterSize.cy, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    if (!FWindow) throw EOSError("The main window cannot be created");

    // The picture lies below the labels, which the window draws itself; the
    // buttons are created in their tab order, which is also their z-order.
    const COLORREF white = RGB(0xFF, 0xFF, 0xFF);
    for (const TLabelLayout& label : kLabelLayout)
        if (label.Parent == TLayoutParent::Window) AddLabel(label, white);
    for (const TButtonLayout& button : kButtonLayout) CreateButton(button);

    const RECT panel = Scaled(kPanelRect);
    FPanel = CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE, panel.left, panel.top,
                             panel.right - panel.left, panel.bottom - panel.top, FWindow, nullptr,
                             GetModuleHandleW(nullptr), this);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    for (const TLabelLayout& label : kLabelLayout)
        if (label.Parent == TLayoutParent::Panel) AddLabel(label, text);
    // What a screen reader reads of the state and the next action.
    for (TLabelId id : {TLabelId::ProgrammStateInfo, TLabelId::UserActionInfo}) {
        FSpokenLabels[Index(id)] = std::make_unique<TWin32SpokenLabel>(FWindow, FLabels[Index(id)]->Bounds());
        FSpokenLabels[Index(id)]->SetMarkup(FLabels[Index(id)]->Markup());
    }
    FitClientArea();
}

TWin32MainWindow::~TWin32MainWindow() {
    if (IsWindow(FWindow)) {
        SetWindowLongPtrW(FPanel, GWLP_USERDATA, 0);
        SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
        DestroyWindow(FWindow);
    }
}

void TWin32MainWindow::CreateButton(const TButtonLayout& layout) {
    const RECT r = Scaled(layout.Rect);
    const HWND button =
        CreateWindowExW(0, L"BUTTON", ToWide(Ansi(layout.Caption)).c_str(),
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, FWindow,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstButtonId + Index(layout.Id))),
                        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    FButtons[Index(layout.Id)] = button;
}

void TWin32MainWindow::AddLabel(const TLabelLayout& layout, COLORREF color) {
    FLabels[Index(layout.Id)] = std::make_unique<TWin32FormattedLabel>(
        Scaled(layout.Rect), LineHeight(FDpi), color);
    FLabels[Index(layout.Id)]->SetMarkup(nullptr, Ansi(layout.Text));
}

HWND TWin32MainWindow::LabelParent(TLabelId id) const {
    for (const TLabelLayout& label : kLabelLayout)
        if (label.Id == id) return label.Parent == TLayoutParent::Window ? FWindow : FPanel;
    return FWindow;
}

RECT TWin32MainWindow::Scaled(const TLayoutRect& rect) const {
    const TLayoutRect r = ScaleToDpi(rect, static_cast<int>(FDpi));
    return RECT{r.Left, r.Top, r.Left + r.Width, r.Top + r.Height};
}

void TWin32MainWindow::FitClientArea() {
    // The frame as drawn, which is the one at the window's own density and may
    // differ from the one asked for (a process that Windows scales, or 8.1's
    // suggested rectangle, which is the old one scaled).
    RECT outer{};
    RECT client{};
    GetWindowRect(FWindow, &outer);
    GetClientRect(FWindow, &client);
    FOuterSize = SIZE{FClientSize.cx + (outer.right - outer.left) - client.right,
                      FClientSize.cy + (outer.bottom - outer.top) - client.bottom};
    if (client.right != FClientSize.cx || client.bottom != FClientSize.cy)
        SetWindowPos(FWindow, nullptr, 0, 0, FOuterSize.cx, FOuterSize.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32MainWindow::Rescale(UINT dpi) {
    FDpi = dpi;
    FClientSize = ClientSize(dpi);
    FOuterSize = OuterSize(FClientSize, dpi);
    // The buttons take the new font before the old one is deleted.
    const HFONT font = CreateWindowFont(FW_NORMAL, dpi);
    for (const TButtonLayout& layout : kButtonLayout) {
        const RECT r = Scaled(layout.Rect);
        const HWND button = FButtons[Index(layout.Id)];
        SetWindowPos(button, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    FFont.Reset(font);
    FBoldFont.Reset(CreateWindowFont(FW_BOLD, dpi));
    const RECT panel = Scaled(kPanelRect);
    SetWindowPos(FPanel, nullptr, panel.left, panel.top, panel.right - panel.left, panel.bottom - panel.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    for (const TLabelLayout& label : kLabelLayout) {
        FLabels[Index(label.Id)]->Place(Scaled(label.Rect), LineHeight(dpi));
        if (FSpokenLabels[Index(label.Id)]) FSpokenLabels[Index(label.Id)]->Place(Scaled(label.Rect));
    }
    InvalidateRect(FWindow, nullptr, FALSE);
    InvalidateRect(FPanel, nullptr, FALSE);
}

HWND TWin32MainWindow::Button(TButtonId button) const { return FButtons[Index(button)]; }

const TWin32FormattedLabel& TWin32MainWindow::Label(TLabelId label) const { return *FLabels[Index(label)]; }

void TWin32MainWindow::SetButtonHandler(TButtonId button, std::function<void()> handler) {
    FHandlers[Index(button)] = std::move(handler);
}

void TWin32MainWindow::SetDeviceChangeHandler(std::function<void(WPARAM, LPARAM)> handler) {
    FDeviceChangeHandler = std::move(handler);
}

void TWin32MainWindow::PaintWindow(HDC dc) const {
    RECT client{0, 0, FClientSize.cx, Scaled(kPanelRect).top};
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (FBackground) {
        BITMAP info{};
        GetObjectW(FBackground.Get(), sizeof info, &info);
        const RECT picture = Scaled(kBackgroundRect);
        const int width = picture.right - picture.left;
        const int height = picture.bottom - picture.top;
        const HDC source = CreateCompatibleDC(dc);
        {
            const TSelectObject select(source, FBackground.Get());
            if (width == info.bmWidth && height == info.bmHeight) {
                // At its natural size, pixel for pixel.
                BitBlt(dc, picture.left, picture.top, width, height, source, 0, 0, SRCCOPY);
            } else {
                // Averaged rather than repeated or dropped pixels: smooth at any scale.
                SetStretchBltMode(dc, HALFTONE);
                SetBrushOrgEx(dc, 0, 0, nullptr);
                StretchBlt(dc, picture.left, picture.top, width, height, source, 0, 0, info.bmWidth, info.bmHeight,
                           SRCCOPY);
            }
        }
        DeleteDC(source);
    }
    FLabels[Index(TLabelId::ProgrammStateInfo)]->Paint(dc, FFont.Get(), FBoldFont.Get());
    FLabels[Index(TLabelId::UserActionInfo)]->Paint(dc, FFont.Get(), FBoldFont.Get());
}

void TWin32MainWindow::PaintPanel(HDC dc) const {
    const TBrush brush(CreateSolidBrush(FPanelColor));
    const RECT panel = Scaled(kPanelRect);
    RECT area{0, 0, panel.right - panel.left, panel.bottom - panel.top};
    FillRect(dc, &area, brush.Get());
    for (TLabelId id : {TLabelId::ObjectsTitle, TLabelId::MyPlovikTitle, TLabelId::CallCenterTitle,
                        TLabelId::ObjectsValue, TLabelId::CallCenterValue, TLabelId::MyPlovikValue})
        FLabels[Index(id)]->Paint(dc, FFont.Get(), FBoldFont.Get());
}

LRESULT CALLBACK TWin32MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = OwnerOf<TWin32MainWindow>(window, message, lParam);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCCREATE) self->FWindow = window;
    LRESULT result = 0;
    RunHandler([&] { result = self->HandleWindowMessage(message, wParam, lParam); });
    return result;
}

LRESULT CALLBACK TWin32MainWindow::PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = OwnerOf<TWin32MainWindow>(window, message, lParam);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCCREATE) self->FPanel = window;
    LRESULT result = 0;
    RunHandler([&] { result = self->HandlePanelMessage(message, wParam, lParam); });
    return result;
}

LRESULT TWin32MainWindow::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers everything
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        const HDC dc = BeginPaint(FWindow, &paint);
        {
            const TBufferedPaint buffer(dc, FClientSize.cx, Scaled(kPanelRect).top);
            PaintWindow(buffer.Dc());
        }
        EndPaint(FWindow, &paint);
        return 0;
    }
    case WM_DRAWITEM: {
        // A spoken label's control shows what the window draws below it.
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        POINT origin{0, 0};
        MapWindowPoints(item->hwndItem, FWindow, &origin, 1);
        const int saved = SaveDC(item->hDC);
        SetViewportOrgEx(item->hDC, -origin.x, -origin.y, nullptr);
        PaintWindow(item->hDC);
        RestoreDC(item->hDC, saved);
        return TRUE;
    }
    case WM_COMMAND: {
        const size_t index = LOWORD(wParam) - kFirstButtonId;
        if (HIWORD(wParam) == BN_CLICKED && index < kButtonCount && FHandlers[index]) FHandlers[index]();
        return 0;
    }
    case WM_GETMINMAXINFO: {
        // The user cannot resize the window: it keeps the layout's size.
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = POINT{FOuterSize.cx, FOuterSize.cy};
        limits->ptMaxTrackSize = POINT{FOuterSize.cx, FOuterSize.cy};
        return 0;
    }
    case WM_GETDPISCALEDSIZE: {
        // The exact outer size at the new density: the system's suggested
        // rectangle then keeps the layout's client area.
        *reinterpret_cast<SIZE*>(lParam) = OuterSize(ClientSize(LOWORD(wParam)), LOWORD(wParam));
        return TRUE;
    }
    case WM_DPICHANGED: {
        Rescale(LOWORD(wParam));  // the horizontal and vertical densities are the same
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(FWindow, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        FitClientArea();
        return 0;
    }
    case WM_DEVICECHANGE:
        if (FDeviceChangeHandler) FDeviceChangeHandler(wParam, lParam);
        return 0;
    case WM_CLOSE:
        DestroyWindow(FWindow);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(FWindow, message, wParam, lParam);
    }
}

LRESULT TWin32MainWindow::HandlePanelMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        const HDC dc = BeginPaint(FPanel, &paint);
        {
            const RECT panel = Scaled(kPanelRect);
            const TBufferedPaint buffer(dc, panel.right - panel.left, panel.bottom - panel.top);
            PaintPanel(buffer.Dc());
        }
        EndPaint(FPanel, &paint);
        return 0;
    }
    default:
        return DefWindowProcW(FPanel, message, wParam, lParam);
    }
}

void TWin32MainWindow::SetLabelText(TLabelId label, const std::string& markup) {
    FLabels[Index(label)]->SetMarkup(LabelParent(label), markup);
    if (FSpokenLabels[Index(label)]) FSpokenLabels[Index(label)]->SetMarkup(markup);
}

void TWin32MainWindow::SetButtonCaption(TButtonId button, const std::string& caption) {
    SetWindowTextW(FButtons[Index(button)], ToWide(caption).c_str());
}

void TWin32MainWindow::SetButtonEnabled(TButtonId button, bool enabled) {
    EnableWindow(FButtons[Index(button)], enabled ? TRUE : FALSE);
}

void TWin32MainWindow::SetCaption(const std::string& caption) { SetWindowTextW(FWindow, ToWide(caption).c_str()); }

void TWin32MainWindow::SetPanelColor(uint32_t rgb) {
    FPanelColor = ToColorRef(rgb);
    InvalidateRect(FPanel, nullptr, FALSE);
}

void TWin32MainWindow::Show() {
    ShowWindow(FWindow, SW_SHOWNORMAL);
    UpdateWindow(FWindow);
    SetForegroundWindow(FWindow);
    if (const HWND first = GetNextDlgTabItem(FWindow, nullptr, FALSE)) SetFocus(first);
}

// Later, from the message loop: a close asked for inside a handler ends the program once that handler returns.
void TWin32MainWindow::Close() { PostMessageW(FWindow, WM_CLOSE, 0, 0); }

int TWin32MainWindow::MessageBox(const std::string& text, const std::string& title, unsigned flags) {
    // Owned by the window only while it is visible: a box shown before it would otherwise have no taskbar button.
    const HWND owner = IsWindowVisible(FWindow) ? FWindow : nullptr;
    return MessageBoxW(owner, ToWide(text).c_str(), ToWide(title).c_str(), flags);
}

}  // namespace zorv
