#pragma once
// A formatted label drawn with GDI onto its parent's surface, with the same
// markup parser and line breaker as the Qt window: fixed size, text from the
// top, only the letters drawn (the picture or the panel shows through),
// lines wrapped at blanks, lines below the label's height left out.
#include <windows.h>

#include <string>
#include <vector>

#include "ui/Markup.h"

namespace zorv {

class TWin32FormattedLabel {
public:
    // Lines are laid out on a fixed pitch, the one the window's 11-pixel font
    // was designed for at 96 dots per inch; the window scales both.
    static constexpr int kLineHeight = 13;

    // Bounds in the parent's client coordinates; TextColor as a COLORREF.
    TWin32FormattedLabel(const RECT& bounds, int lineHeight, COLORREF textColor);

    // Moves the label at another scale; the parent redraws itself whole.
    void Place(const RECT& bounds, int lineHeight);

    // Replaces the whole text (Windows-1251 markup); the parent is asked to redraw the label.
    void SetMarkup(HWND parent, const std::string& markup);
    const std::string& Markup() const { return FMarkup; }
    const RECT& Bounds() const { return FBounds; }
    int LineHeight() const { return FLineHeight; }

    // Draws the text with the two faces of the window's font.
    void Paint(HDC dc, HFONT regular, HFONT bold) const;

private:
    RECT FBounds;
    int FLineHeight;
    COLORREF FTextColor;
    std::string FMarkup;
    std::vector<TMarkupLine> FLines;
};

}  // namespace zorv
