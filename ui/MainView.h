#pragma once
// The window as the program logic sees it. Every text is Windows-1251; the
// toolkit converts it once at this boundary.
#include <cstdint>
#include <string>

namespace zorv {

enum class TLabelId {
    ProgrammStateInfo,
    UserActionInfo,
    ObjectsTitle,
    CallCenterTitle,
    MyPlovikTitle,
    ObjectsValue,
    CallCenterValue,
    MyPlovikValue,
};

enum class TButtonId { StartDemo, EndDemo, MoneyOff, MoneyLittle, MoneyFull };

class IMainView {
public:
    virtual ~IMainView() = default;
    // Replaces a formatted label's whole markup text.
    virtual void SetLabelText(TLabelId label, const std::string& markup) = 0;
    virtual void SetButtonCaption(TButtonId button, const std::string& caption) = 0;
    virtual void SetButtonEnabled(TButtonId button, bool enabled) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Colour as 0xRRGGBB.
    virtual void SetPanelColor(uint32_t rgb) = 0;
    virtual void Show() = 0;
    // Closes the window, which ends the program once the message loop sees it.
    virtual void Close() = 0;
    // A modal message box with standard message-box flags; returns the pressed button.
    virtual int MessageBox(const std::string& text, const std::string& title, unsigned flags) = 0;
};

// Handles with the names of the window's components, so the logic reads as the window is laid out.
class TFormattedLabel {
public:
    TFormattedLabel(IMainView& view, TLabelId id) : FView(view), FId(id) {}
    void SetCaption(const std::string& markup) { FView.SetLabelText(FId, markup); }

private:
    IMainView& FView;
    TLabelId FId;
};

class TButton {
public:
    TButton(IMainView& view, TButtonId id) : FView(view), FId(id) {}
    void SetCaption(const std::string& caption) { FView.SetButtonCaption(FId, caption); }
    void SetEnabled(bool enabled) { FView.SetButtonEnabled(FId, enabled); }

private:
    IMainView& FView;
    TButtonId FId;
};

}  // namespace zorv
