#pragma once
// What a screen reader reads of a label that the window draws itself: an
// owner-drawn static control over it, whose window text is the label's plain
// text. Windows announces each new text as a name change of the control. The
// control draws nothing of its own: its parent paints what lies there when
// asked (WM_DRAWITEM), and clicks pass through it.
#include <windows.h>

#include <string>

namespace zorv {

class TWin32SpokenLabel {
public:
    // Bounds in the parent's client coordinates.
    TWin32SpokenLabel(HWND parent, const RECT& bounds);

    // Takes the plain text of the label's new markup (Windows-1251).
    void SetMarkup(const std::string& markup);
    void Place(const RECT& bounds);
    HWND Handle() const { return FControl; }

private:
    HWND FControl;
};

}  // namespace zorv
