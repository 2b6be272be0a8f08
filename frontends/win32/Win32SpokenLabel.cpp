#include "frontends/win32/Win32SpokenLabel.h"

#include "ui/Markup.h"
#include "frontends/win32/Win32Text.h"

namespace zorv {

TWin32SpokenLabel::TWin32SpokenLabel(HWND parent, const RECT& bounds)
    : FControl(CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, bounds.left, bounds.top,
                               bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr)) {}

void TWin32SpokenLabel::SetMarkup(const std::string& markup) {
    SetWindowTextW(FControl, ToWide(PlainText(ParseMarkup(markup))).c_str());
    // A change of style alone leaves the text as it was, and the control would not repaint.
    InvalidateRect(FControl, nullptr, FALSE);
}

void TWin32SpokenLabel::Place(const RECT& bounds) {
    SetWindowPos(FControl, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace zorv
