#pragma once
// Lays out parsed markup in a label of fixed width: explicit breaks start a new
// line, and a line wider than the label wraps at a blank. A word wider than the
// label stands alone on its line and is cut by the label's edge.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "ui/Markup.h"

namespace zorv {

// Width in pixels of a Windows-1251 text in the label's font, bold or regular.
using TMeasureText = std::function<int(const std::string& Text, bool Bold)>;

struct TPlacedRun {
    TTextRun Run;
    int X = 0;
};

using TLaidOutLine = std::vector<TPlacedRun>;

// At most MaxLines lines; the blanks at a wrap are dropped.
std::vector<TLaidOutLine> BreakLines(const std::vector<TMarkupLine>& Lines, int Width, const TMeasureText& Measure,
                                     size_t MaxLines);

// How many whole lines of LineHeight pixels a label of Height pixels shows.
size_t LinesThatFit(int Height, int LineHeight);

}  // namespace zorv
