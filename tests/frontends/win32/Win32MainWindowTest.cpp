#include <gtest/gtest.h>
#include <windows.h>
#include <dbt.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <unordered_set>
#include <vector>

#include "discovery/DeviceSourceWin32.h"
#include "foundation/ApplicationExceptions.h"
#include "foundation/Cp1251.h"
#include "ui/WindowLayout.h"
#include "frontends/win32/Win32Dpi.h"
#include "frontends/win32/Win32MainWindow.h"
#include "frontends/win32/Win32MessageLoop.h"

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

RECT ScaledRect(const TLayoutRect& rect, UINT dpi) {
    const TLayoutRect r = ScaleToDpi(rect, static_cast<int>(dpi));
    return RECT{r.Left, r.Top, r.Left + r.Width, r.Top + r.Height};
}

// The client area, the buttons and the panel are the layout table's at dpi.
void ExpectLayoutAt(const TWin32MainWindow& window, UINT dpi) {
    const HWND w = window.Handle();
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, ScaleToDpi(kClientWidth, static_cast<int>(dpi))) << dpi;
    EXPECT_EQ(client.bottom, ScaleToDpi(kClientHeight, static_cast<int>(dpi))) << dpi;
    auto expectRect = [&](HWND child, const TLayoutRect& layout) {
        const RECT r = ChildRect(w, child);
        const RECT expected = ScaledRect(layout, dpi);
        EXPECT_EQ(r.left, expected.left) << dpi;
        EXPECT_EQ(r.top, expected.top) << dpi;
        EXPECT_EQ(r.right, expected.right) << dpi;
        EXPECT_EQ(r.bottom, expected.bottom) << dpi;
    };
    for (const TButtonLayout& button : kButtonLayout) expectRect(window.Button(button.Id), button.Rect);
    expectRect(window.Panel(), kPanelRect);
    for (const TLabelLayout& label : kLabelLayout) {
        const TWin32FormattedLabel& drawn = window.Label(label.Id);
        const RECT bounds = drawn.Bounds();
        const RECT expected = ScaledRect(label.Rect, dpi);
        EXPECT_TRUE(EqualRect(&bounds, &expected)) << label.Name << " at " << dpi;
        // The line pitch scales too, and every label keeps room for as many lines as it had at 96 dots per inch.
        EXPECT_NEAR(drawn.LineHeight(), 13.0 * dpi / 96, 1.0) << label.Name << " at " << dpi;
        EXPECT_EQ((bounds.bottom - bounds.top) / drawn.LineHeight(), label.Rect.Height / 13)
            << label.Name << " at " << dpi;
    }
}

// The window built at the screen density of the parameter, in dots per inch.
class Win32MainWindowTest : public ::testing::TestWithParam<UINT> {
protected:
    TWin32MessageLoop loop;
    TWin32MainWindow window{GetParam()};

    int Scaled(int value) const { return ScaleToDpi(value, static_cast<int>(GetParam())); }
    RECT Scaled(const TLayoutRect& rect) const { return ScaledRect(rect, GetParam()); }
    TPicture Surface() {
        return TPicture(Scaled(640), Scaled(430), [&](HDC dc) { window.PaintWindow(dc); });
    }
    TPicture Panel() {
        const RECT panel = Scaled(kPanelRect);
        return TPicture(panel.right - panel.left, panel.bottom - panel.top, [&](HDC dc) { window.PaintPanel(dc); });
    }
    void ClearLabels() {
        for (TLabelId id : {TLabelId::ProgrammStateInfo, TLabelId::UserActionInfo, TLabelId::ObjectsTitle,
                            TLabelId::CallCenterTitle, TLabelId::MyPlovikTitle, TLabelId::ObjectsValue,
                            TLabelId::CallCenterValue, TLabelId::MyPlovikValue})
            window.SetLabelText(id, "");
    }
};

TEST_P(Win32MainWindowTest, FixedFrameWithSystemMenuAndMinimiseOnly) {
    const LONG style = GetWindowLongW(window.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(window.Dpi(), GetParam());
    RECT client{};
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(client.right, Scaled(640));
    EXPECT_EQ(client.bottom, Scaled(493));

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

TEST_P(Win32MainWindowTest, ButtonsAndPanelStandWhereTheLayoutPutsThemInTabOrder) {
    const HWND w = window.Handle();
    ExpectLayoutAt(window, GetParam());
    std::vector<TButtonId> order;
    for (const TButtonLayout& button : kButtonLayout) order.push_back(button.Id);
    order.push_back(order.front());
    for (size_t i = 0; i + 1 < order.size(); ++i)
        EXPECT_EQ(GetNextDlgTabItem(w, window.Button(order[i]), FALSE), window.Button(order[i + 1])) << i;
    for (TButtonId id : order) EXPECT_FALSE(GetWindowLongW(window.Button(id), GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST_P(Win32MainWindowTest, TextsArriveAsWindows1251AndShowAsUnicode) {
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

// A screen reader reads the drawn state and action texts from static controls over them.
TEST_P(Win32MainWindowTest, StateAndActionTextsAreStaticTextsOverTheirLabels) {
    window.SetLabelText(TLabelId::ProgrammStateInfo, Ansi("<B>Зорв GSM</B> не подключен.<BR>Подключите"));
    window.SetLabelText(TLabelId::UserActionInfo, Ansi("<FONT color=\"#96938D\">Ждите</FONT>"));
    const auto textOver = [&](TLabelId id) {
        const RECT label = window.Label(id).Bounds();
        for (HWND child = FindWindowExW(window.Handle(), nullptr, L"STATIC", nullptr); child;
             child = FindWindowExW(window.Handle(), child, L"STATIC", nullptr)) {
            RECT r{};
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&r), 2);
            wchar_t text[256] = {};
            GetWindowTextW(child, text, 256);
            if (EqualRect(&r, &label) && IsWindowVisible(child) == IsWindowVisible(window.Handle()))
                return std::wstring(text);
        }
        return std::wstring(L"(none)");
    };
    EXPECT_EQ(textOver(TLabelId::ProgrammStateInfo),
              L"\u0417\u043E\u0440\u0432 GSM \u043D\u0435 \u043F\u043E\u0434\u043A\u043B\u044E\u0447\u0435\u043D.\n"
              L"\u041F\u043E\u0434\u043A\u043B\u044E\u0447\u0438\u0442\u0435");
    EXPECT_EQ(textOver(TLabelId::UserActionInfo), L"\u0416\u0434\u0438\u0442\u0435");
}

TEST_P(Win32MainWindowTest, ClicksRunTheirHandlersAndTheirExceptionsAreOnlyHandedOn) {
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

TEST_P(Win32MainWindowTest, DeviceChangesReachTheDeviceSourceWithKindAndDeviceType) {
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

TEST_P(Win32MainWindowTest, EmptyLabelsShowThePictureFromTheTopLeftCornerAtTheScale) {
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
    const int dpi = static_cast<int>(GetParam());
    if (dpi == kDesignDpi) {
        int differences = 0;
        for (int y = 0; y < 430; ++y)
            for (int x = 0; x < 640; ++x) differences += surface.At(x, y) != picture.At(x, y) ? 1 : 0;
        EXPECT_EQ(differences, 0);
        return;
    }
    // Scaled: each pixel close to the one of the picture it comes from, and
    // edges softened into colours the picture does not have, not stepped.
    std::unordered_set<COLORREF> colours;
    for (int y = 0; y < 430; ++y)
        for (int x = 0; x < 640; ++x) colours.insert(picture.At(x, y));
    int distant = 0;
    int blended = 0;
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            const COLORREF drawn = surface.At(x, y);
            const COLORREF from = picture.At(std::min(639, x * kDesignDpi / dpi), std::min(429, y * kDesignDpi / dpi));
            const int difference = std::abs(GetRValue(drawn) - GetRValue(from)) +
                                   std::abs(GetGValue(drawn) - GetGValue(from)) +
                                   std::abs(GetBValue(drawn) - GetBValue(from));
            distant += difference > 96 ? 1 : 0;
            blended += colours.count(drawn) ? 0 : 1;
        }
    }
    const int pixels = surface.Width() * surface.Height();
    EXPECT_LT(distant, pixels / 20);
    EXPECT_GT(blended, pixels / 100);
}

TEST_P(Win32MainWindowTest, StateTextIsWhiteOverThePictureAndKeepsToThreeLines) {
    ClearLabels();
    const TPicture before = Surface();
    window.SetLabelText(TLabelId::ProgrammStateInfo,
                        Ansi("Первая<BR>Вторая<BR>Третья<BR>Четвёртая строка, которой нет места"));
    const TPicture after = Surface();
    const RECT label = Scaled(kLabelLayout[0].Rect);
    EXPECT_GT(after.Count(label, White), 50);
    // The fourth line would start three lines below the top: at 290 + 3 * 13 = 329 at 96 dots per inch.
    const int fourthLine = label.top + 3 * window.Label(TLabelId::ProgrammStateInfo).LineHeight();
    int changedBelowThirdLine = 0;
    int changedOutside = 0;
    for (int y = 0; y < after.Height(); ++y) {
        for (int x = 0; x < after.Width(); ++x) {
            if (after.At(x, y) == before.At(x, y)) continue;
            const bool inLabel = x >= label.left && x < label.right && y >= label.top && y < label.bottom;
            changedOutside += inLabel ? 0 : 1;
            changedBelowThirdLine += inLabel && y >= fourthLine ? 1 : 0;
        }
    }
    EXPECT_EQ(changedOutside, 0);
    EXPECT_EQ(changedBelowThirdLine, 0);
}

TEST_P(Win32MainWindowTest, PanelTakesItsColourAndGreyTextStaysGrey) {
    ClearLabels();
    window.SetPanelColor(kPanelColor);
    const TPicture empty = Panel();
    EXPECT_EQ(empty.Count({0, 0, empty.Width(), empty.Height()}, [](COLORREF c) { return c == kPanel; }),
              empty.Width() * empty.Height());

    window.SetLabelText(TLabelId::ObjectsValue, Ansi("<FONT color=\"#96938D\">—— 1234 ——</FONT>"));
    window.SetLabelText(TLabelId::ObjectsTitle, Ansi("<B>Объекты</B>"));
    const TPicture drawn = Panel();
    const RECT value = Scaled(kLabelLayout[5].Rect);
    const int ink = drawn.Count(value, [](COLORREF c) { return c != kPanel; });
    EXPECT_GT(ink, 10);
    EXPECT_EQ(drawn.Count(value, GreyOrBlend), ink);
    EXPECT_GT(drawn.Count(value, [](COLORREF c) { return c == kGrey; }), 0);
    EXPECT_GT(drawn.Count(Scaled(kLabelLayout[2].Rect), Dark), 10);
}

TEST_P(Win32MainWindowTest, CloseEndsTheMessageLoop) {
    window.Show();
    EXPECT_TRUE(IsWindowVisible(window.Handle()));
    window.Close();
    EXPECT_TRUE(IsWindow(window.Handle()));  // closed later, from the loop
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_FALSE(IsWindow(window.Handle()));
}

// A move to a monitor of another scale: the window tells the outer size that
// keeps the layout's client area, then takes the suggested rectangle.
TEST_P(Win32MainWindowTest, FollowsAMoveToAMonitorOfAnotherScale) {
    for (UINT dpi : {96u, 120u, 144u, 192u, GetParam()}) {
        SIZE outer{};
        EXPECT_TRUE(SendMessageW(window.Handle(), WM_GETDPISCALEDSIZE, MAKEWPARAM(dpi, dpi),
                                 reinterpret_cast<LPARAM>(&outer)));
        EXPECT_GT(outer.cx, ScaleToDpi(kClientWidth, static_cast<int>(dpi))) << dpi;
        EXPECT_GT(outer.cy, ScaleToDpi(kClientHeight, static_cast<int>(dpi))) << dpi;
        // This process is not aware of densities, so its frame keeps its size: the
        // window takes the suggested place and keeps its client area whatever the frame.
        RECT suggested{40, 30, 40 + outer.cx, 30 + outer.cy};
        SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(window.Dpi(), dpi);
        RECT placed{};
        GetWindowRect(window.Handle(), &placed);
        EXPECT_EQ(placed.left, suggested.left) << dpi;
        EXPECT_EQ(placed.top, suggested.top) << dpi;
        ExpectLayoutAt(window, dpi);
    }
}

INSTANTIATE_TEST_SUITE_P(Dpi, Win32MainWindowTest, ::testing::Values(96u, 120u, 144u, 192u),
                         [](const ::testing::TestParamInfo<UINT>& info) { return std::to_string(info.param); });

// Built without a density, the window takes its monitor's: 96 dots per inch
// under Wine's defaults, 144 with LogPixels at 144 in a process aware of it.
TEST(Win32MainWindowDpi, OpensAtTheScaleOfItsMonitor) {
    TWin32MessageLoop loop;
    TWin32MainWindow window;
    EXPECT_EQ(window.Dpi(), WindowDpi(window.Handle()));
    ExpectLayoutAt(window, window.Dpi());
}

}  // namespace
}  // namespace zorv
