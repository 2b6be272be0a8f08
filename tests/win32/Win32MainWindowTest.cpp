#include <gtest/gtest.h>
#include <windows.h>
#include <dbt.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "discovery/DeviceSourceWin32.h"
#include "foundation/ApplicationExceptions.h"
#include "foundation/Cp1251.h"
#include "ui/WindowLayout.h"
#include "ui/win32/Win32MainWindow.h"
#include "ui/win32/Win32MessageLoop.h"

namespace zorv {
namespace {

const COLORREF kPanel = RGB(0xF3, 0xF5, 0xF6);
const COLORREF kGrey = RGB(0x96, 0x93, 0x8D);

// A picture of what a paint function draws, as 0x00RRGGBB pixels from the top-left corner.
class TPicture {
public:
    TPicture(int width, int height, const std::function<void(HDC)>& paint) : FWidth(width), FHeight(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        const HDC screen = GetDC(nullptr);
        const HDC dc = CreateCompatibleDC(screen);
        const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ old = SelectObject(dc, bitmap);
        paint(dc);
        GdiFlush();
        const auto* pixels = static_cast<const uint32_t*>(bits);
        FPixels.assign(pixels, pixels + width * height);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
    COLORREF At(int x, int y) const {
        const uint32_t p = FPixels[static_cast<size_t>(y * FWidth + x)];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(const RECT& r, const std::function<bool(COLORREF)>& test) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += test(At(x, y)) ? 1 : 0;
        return n;
    }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

private:
    int FWidth;
    int FHeight;
    std::vector<uint32_t> FPixels;
};

bool White(COLORREF c) { return GetRValue(c) >= 235 && GetGValue(c) >= 235 && GetBValue(c) >= 235; }
bool Dark(COLORREF c) { return GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80; }
// Between the grey and the panel colour, as antialiased grey text on the panel is.
bool GreyOrBlend(COLORREF c) {
    return GetRValue(c) >= 0x96 - 8 && GetGValue(c) >= 0x93 - 8 && GetBValue(c) >= 0x8D - 8 && c != kPanel;
}

RECT ChildRect(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class Win32MainWindowTest : public ::testing::Test {
protected:
    TWin32MessageLoop loop;
    TWin32MainWindow window;

    TPicture Surface() {
        return TPicture(640, 430, [&](HDC dc) { window.PaintWindow(dc); });
    }
    TPicture Panel() {
        return TPicture(640, 63, [&](HDC dc) { window.PaintPanel(dc); });
    }
    void ClearLabels() {
        for (TLabelId id : {TLabelId::ProgrammStateInfo, TLabelId::UserActionInfo, TLabelId::ObjectsTitle,
                            TLabelId::CallCenterTitle, TLabelId::MyPlovikTitle, TLabelId::ObjectsValue,
                            TLabelId::CallCenterValue, TLabelId::MyPlovikValue})
            window.SetLabelText(id, "");
    }
};

TEST_F(Win32MainWindowTest, FixedFrameWithSystemMenuAndMinimiseOnly) {
    const LONG style = GetWindowLongW(window.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    RECT client{};
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 493);

    RECT outer{};
    GetWindowRect(window.Handle(), &outer);
    MINMAXINFO limits{};
    SendMessageW(window.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, outer.right - outer.left);
    EXPECT_EQ(limits.ptMaxTrackSize.x, outer.right - outer.left);
    EXPECT_EQ(limits.ptMinTrackSize.y, outer.bottom - outer.top);
    EXPECT_EQ(limits.ptMaxTrackSize.y, outer.bottom - outer.top);
    EXPECT_FALSE(IsWindowVisible(window.Handle()));  // until the start timer shows it
}

TEST_F(Win32MainWindowTest, ButtonsAndPanelStandWhereTheLayoutPutsThemInTabOrder) {
    const HWND w = window.Handle();
    auto expectRect = [&](HWND child, RECT expected) {
        const RECT r = ChildRect(w, child);
        EXPECT_EQ(r.left, expected.left);
        EXPECT_EQ(r.top, expected.top);
        EXPECT_EQ(r.right, expected.right);
        EXPECT_EQ(r.bottom, expected.bottom);
    };
    auto asRect = [](const TLayoutRect& r) { return RECT{r.Left, r.Top, r.Left + r.Width, r.Top + r.Height}; };
    std::vector<TButtonId> order;
    for (const TButtonLayout& button : kButtonLayout) {
        expectRect(window.Button(button.Id), asRect(button.Rect));
        order.push_back(button.Id);
    }
    expectRect(window.Panel(), asRect(kPanelRect));
    order.push_back(order.front());
    for (size_t i = 0; i + 1 < order.size(); ++i)
        EXPECT_EQ(GetNextDlgTabItem(w, window.Button(order[i]), FALSE), window.Button(order[i + 1])) << i;
    for (TButtonId id : order) EXPECT_FALSE(GetWindowLongW(window.Button(id), GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST_F(Win32MainWindowTest, TextsArriveAsWindows1251AndShowAsUnicode) {
    window.SetButtonCaption(TButtonId::MoneyFull, Ansi("Услуги оплачены"));
    window.SetCaption(Ansi("Зорв GSM: демонстрация работы. Версия 1.0.1"));
    wchar_t text[128] = {};
    GetWindowTextW(window.Button(TButtonId::MoneyFull), text, 128);
    EXPECT_EQ(std::wstring(text), L"\u0423\u0441\u043B\u0443\u0433\u0438 \u043E\u043F\u043B\u0430\u0447\u0435\u043D\u044B");
    GetWindowTextW(window.Handle(), text, 128);
    EXPECT_EQ(std::wstring(text).substr(0, 4), L"\u0417\u043E\u0440\u0432");
    window.SetButtonEnabled(TButtonId::EndDemo, false);
    EXPECT_FALSE(IsWindowEnabled(window.Button(TButtonId::EndDemo)));
    window.SetButtonEnabled(TButtonId::EndDemo, true);
    EXPECT_TRUE(IsWindowEnabled(window.Button(TButtonId::EndDemo)));
    window.SetLabelText(TLabelId::ObjectsValue, Ansi("<B>1234</B>"));
    EXPECT_EQ(window.Label(TLabelId::ObjectsValue).Markup(), Ansi("<B>1234</B>"));
}

TEST_F(Win32MainWindowTest, ClicksRunTheirHandlersAndTheirExceptionsAreOnlyHandedOn) {
    int clicks = 0;
    window.SetButtonHandler(TButtonId::StartDemo, [&] { ++clicks; });
    window.SetButtonHandler(TButtonId::MoneyOff, [] { throw std::runtime_error("click"); });
    std::vector<std::string> caught;
    SetApplicationExceptionHandler([&](const std::exception& e) { caught.push_back(e.what()); });
    SendMessageW(window.Button(TButtonId::StartDemo), BM_CLICK, 0, 0);
    SendMessageW(window.Button(TButtonId::MoneyOff), BM_CLICK, 0, 0);
    SendMessageW(window.Button(TButtonId::MoneyFull), BM_CLICK, 0, 0);  // no handler
    SetApplicationExceptionHandler(nullptr);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(caught, std::vector<std::string>{"click"});
}

TEST_F(Win32MainWindowTest, DeviceChangesReachTheDeviceSourceWithKindAndDeviceType) {
    TDeviceSourceWin32 devices(window.Handle());
    window.SetDeviceChangeHandler([&](WPARAM w, LPARAM l) { devices.HandleDeviceChange(w, l); });
    std::vector<TDeviceChangeMessage> seen;
    devices.RegisterNotifications([&](const TDeviceChangeMessage& m) { seen.push_back(m); });
    DEV_BROADCAST_HDR header{};
    header.dbch_size = sizeof header;
    header.dbch_devicetype = 5;
    EXPECT_EQ(SendMessageW(window.Handle(), WM_DEVICECHANGE, 0x8000, reinterpret_cast<LPARAM>(&header)), 0);
    header.dbch_devicetype = 3;
    SendMessageW(window.Handle(), WM_DEVICECHANGE, 0x8004, reinterpret_cast<LPARAM>(&header));
    SendMessageW(window.Handle(), WM_DEVICECHANGE, 0x0007, 0);  // DBT_DEVNODES_CHANGED has no header
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].WParam, 0x8000u);
    EXPECT_EQ(seen[0].DeviceType, 5u);
    EXPECT_EQ(seen[1].WParam, 0x8004u);
    EXPECT_EQ(seen[1].DeviceType, 3u);
    EXPECT_EQ(seen[2].DeviceType, 0u);
}

TEST_F(Win32MainWindowTest, EmptyLabelsShowThePictureUnchangedFromTheTopLeftCorner) {
    ClearLabels();
    const TPicture surface = Surface();
    const HANDLE image = LoadImageW(GetModuleHandleW(nullptr), L"BACKGROUND", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    ASSERT_NE(image, nullptr);
    const TPicture picture(640, 430, [&](HDC dc) {
        const HDC source = CreateCompatibleDC(dc);
        const HGDIOBJ old = SelectObject(source, image);
        BitBlt(dc, 0, 0, 640, 430, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    });
    DeleteObject(image);
    EXPECT_EQ(surface.Count({0, 0, 640, 430}, [](COLORREF) { return true; }), 640 * 430);
    int differences = 0;
    for (int y = 0; y < 430; ++y)
        for (int x = 0; x < 640; ++x) differences += surface.At(x, y) != picture.At(x, y) ? 1 : 0;
    EXPECT_EQ(differences, 0);
}

TEST_F(Win32MainWindowTest, StateTextIsWhiteOverThePictureAndKeepsToThreeLines) {
    ClearLabels();
    const TPicture before = Surface();
    window.SetLabelText(TLabelId::ProgrammStateInfo,
                        Ansi("Первая<BR>Вторая<BR>Третья<BR>Четвёртая строка, которой нет места"));
    const TPicture after = Surface();
    const RECT label{30, 290, 320, 332};
    EXPECT_GT(after.Count(label, White), 50);
    // The fourth line would start at 290 + 3 * 13 = 329.
    int changedBelowThirdLine = 0;
    int changedOutside = 0;
    for (int y = 0; y < 430; ++y) {
        for (int x = 0; x < 640; ++x) {
            if (after.At(x, y) == before.At(x, y)) continue;
            const bool inLabel = x >= label.left && x < label.right && y >= label.top && y < label.bottom;
            changedOutside += inLabel ? 0 : 1;
            changedBelowThirdLine += inLabel && y >= 329 ? 1 : 0;
        }
    }
    EXPECT_EQ(changedOutside, 0);
    EXPECT_EQ(changedBelowThirdLine, 0);
}

TEST_F(Win32MainWindowTest, PanelTakesItsColourAndGreyTextStaysGrey) {
    ClearLabels();
    window.SetPanelColor(kPanelColor);
    const TPicture empty = Panel();
    EXPECT_EQ(empty.Count({0, 0, 640, 63}, [](COLORREF c) { return c == kPanel; }), 640 * 63);

    window.SetLabelText(TLabelId::ObjectsValue, Ansi("<FONT color=\"#96938D\">—— 1234 ——</FONT>"));
    window.SetLabelText(TLabelId::ObjectsTitle, Ansi("<B>Объекты</B>"));
    const TPicture drawn = Panel();
    const RECT value{30, 33, 145, 46};
    const int ink = drawn.Count(value, [](COLORREF c) { return c != kPanel; });
    EXPECT_GT(ink, 10);
    EXPECT_EQ(drawn.Count(value, GreyOrBlend), ink);
    EXPECT_GT(drawn.Count(value, [](COLORREF c) { return c == kGrey; }), 0);
    EXPECT_GT(drawn.Count({30, 16, 105, 29}, Dark), 10);
}

TEST_F(Win32MainWindowTest, CloseEndsTheMessageLoop) {
    window.Show();
    EXPECT_TRUE(IsWindowVisible(window.Handle()));
    window.Close();
    EXPECT_TRUE(IsWindow(window.Handle()));  // closed later, from the loop
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_FALSE(IsWindow(window.Handle()));
}

}  // namespace
}  // namespace zorv
