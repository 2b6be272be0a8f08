#include "frontends/win32/Win32FormattedLabel.h"

#include "ui/LineBreaker.h"
#include "frontends/win32/Win32Gdi.h"
#include "frontends/win32/Win32Text.h"

namespace zorv {
namespace {

COLORREF ToColorRef(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

TWin32FormattedLabel::TWin32FormattedLabel(const RECT& bounds, int lineHeight, COLORREF textColor)
    : FBounds(bounds), FLineHeight(lineHeight), FTextColor(textColor), FLines(ParseMarkup("")) {}

void TWin32FormattedLabel::Place(const RECT& bounds, int lineHeight) {
    FBounds = bounds;
    FLineHeight = lineHeight;
}

void TWin32FormattedLabel::SetMarkup(HWND parent, const std::string& markup) {
    FLines = ParseMarkup(markup);
    FMarkup = markup;
    if (parent) InvalidateRect(parent, &FBounds, FALSE);
}

void TWin32FormattedLabel::Paint(HDC dc, HFONT regular, HFONT bold) const {
    const TSelectObject selectFont(dc, regular);
    const TMeasureText measure = [&](const std::string& text, bool isBold) {
        SelectObject(dc, isBold ? bold : regular);
        const std::wstring wide = ToWide(text);
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return static_cast<int>(size.cx);
    };
    const int width = FBounds.right - FBounds.left;
    const int height = FBounds.bottom - FBounds.top;
    const std::vector<TLaidOutLine> lines = BreakLines(FLines, width, measure, LinesThatFit(height, FLineHeight));

    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    int top = FBounds.top;
    for (const TLaidOutLine& line : lines) {
        for (const TPlacedRun& placed : line) {
            const TTextRun& run = placed.Run;
            SelectObject(dc, run.Bold ? bold : regular);
            SetTextColor(dc, run.HasColor ? ToColorRef(run.Color) : FTextColor);
            const std::wstring wide = ToWide(run.Text);
            // A word wider than the label is cut at its edge.
            ExtTextOutW(dc, FBounds.left + placed.X, top, ETO_CLIPPED, &FBounds, wide.c_str(),
                        static_cast<UINT>(wide.size()), nullptr);
        }
        top += FLineHeight;
    }
}

}  // namespace zorv
