#pragma once
// The native Win32 window of the program: the picture, the two state labels,
// the five buttons and the information panel, laid out at fixed coordinates.
// It only draws and forwards clicks and device messages; the program's state
// lives in the form.
#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "ui/MainView.h"
#include "ui/WindowLayout.h"
#include "frontends/win32/Win32FormattedLabel.h"
#include "frontends/win32/Win32Gdi.h"
#include "frontends/win32/Win32SpokenLabel.h"

namespace zorv {

class TWin32MainWindow : public IMainView {
public:
    // Created hidden, on the user-interface thread, at the scale of the monitor it opens on.
    TWin32MainWindow();
    // The same at a given density in dots per inch, until the window moves to a monitor of another.
    explicit TWin32MainWindow(UINT dpi);
    ~TWin32MainWindow() override;
    TWin32MainWindow(const TWin32MainWindow&) = delete;
    TWin32MainWindow& operator=(const TWin32MainWindow&) = delete;

    HWND Handle() const { return FWindow; }
    UINT Dpi() const { return FDpi; }
    HWND Button(TButtonId button) const;
    HWND Panel() const { return FPanel; }
    const TWin32FormattedLabel& Label(TLabelId label) const;

    // What a click on the button runs (the form's On...ButtonClick).
    void SetButtonHandler(TButtonId button, std::function<void()> handler);
    // What WM_DEVICECHANGE runs (the device source, which calls the form's OnDeviceChange).
    void SetDeviceChangeHandler(std::function<void(WPARAM, LPARAM)> handler);

    // The drawing of the window's own surface and of the panel, also for pictures of them.
    void PaintWindow(HDC dc) const;
    void PaintPanel(HDC dc) const;

    void SetLabelText(TLabelId label, const std::string& markup) override;
    void SetButtonCaption(TButtonId button, const std::string& caption) override;
    void SetButtonEnabled(TButtonId button, bool enabled) override;
    void SetCaption(const std::string& caption) override;
    void SetPanelColor(uint32_t rgb) override;
    void Show() override;
    void Close() override;
    int MessageBox(const std::string& text, const std::string& title, unsigned flags) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandlePanelMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateButton(const TButtonLayout& layout);
    void AddLabel(const TLabelLayout& layout, COLORREF color);
    HWND LabelParent(TLabelId id) const;
    RECT Scaled(const TLayoutRect& rect) const;
    // Fonts, sizes and every rectangle at another density; FitClientArea then sizes the window.
    void Rescale(UINT dpi);
    // Sizes the window around the layout's client area at the current density.
    void FitClientArea();

    static constexpr size_t kButtonCount = 5;
    static constexpr size_t kLabelCount = 8;
    HWND FWindow = nullptr;
    HWND FPanel = nullptr;
    UINT FDpi;
    SIZE FClientSize{};
    SIZE FOuterSize{};
    TFont FFont;
    TFont FBoldFont;
    TBitmap FBackground;
    COLORREF FPanelColor;
    std::array<HWND, kButtonCount> FButtons{};
    std::array<std::function<void()>, kButtonCount> FHandlers;
    std::array<std::unique_ptr<TWin32FormattedLabel>, kLabelCount> FLabels;
    // For the state and action texts only.
    std::array<std::unique_ptr<TWin32SpokenLabel>, kLabelCount> FSpokenLabels;
    std::function<void(WPARAM, LPARAM)> FDeviceChangeHandler;
};

}  // namespace zorv
