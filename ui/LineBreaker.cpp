#include "ui/LineBreaker.h"

namespace zorv {
namespace {

// A stretch of one run's text that is all blanks or has none.
struct TPiece {
    const TTextRun* Run;
    std::string Text;
    int Width = 0;
};

// A word (letters without blanks, possibly of several styles) and the blanks before it.
struct TWord {
    std::vector<TPiece> Blanks;
    std::vector<TPiece> Letters;
};

// Reads the words of one explicit line one at a time, so that a huge text is only
// read (and measured) as far as the label can show it.
class TWordReader {
public:
    explicit TWordReader(const TMarkupLine& line) : FLine(line) {}

    bool Next(TWord& word) {
        word.Blanks.clear();
        word.Letters.clear();
        while (FRun < FLine.size()) {
            const std::string& text = FLine[FRun].Text;
            if (FPos >= text.size()) {
                ++FRun;
                FPos = 0;
                continue;
            }
            const bool blank = text[FPos] == ' ';
            if (blank && !word.Letters.empty()) return true;
            size_t end = FPos;
            while (end < text.size() && (text[end] == ' ') == blank) ++end;
            (blank ? word.Blanks : word.Letters).push_back({&FLine[FRun], text.substr(FPos, end - FPos), 0});
            FPos = end;
        }
        return !word.Blanks.empty() || !word.Letters.empty();
    }

private:
    const TMarkupLine& FLine;
    size_t FRun = 0;
    size_t FPos = 0;
};

class TLayout {
public:
    TLayout(int width, const TMeasureText& measure, size_t maxLines)
        : FWidth(width), FMeasure(measure), FMaxLines(maxLines) {}

    void AddMarkupLine(const TMarkupLine& markupLine) {
        if (!StartLine()) return;
        bool first = true;
        TWord word;
        TWordReader reader(markupLine);
        while (reader.Next(word)) {
            // Blanks at the end of a line show nothing.
            if (word.Letters.empty()) continue;
            // Measured once here; Place reuses the widths.
            const int blanks = WidthOf(word.Blanks);
            const int letters = WidthOf(word.Letters);
            if (first || FX + blanks + letters <= FWidth) {
                Place(word.Blanks);
            } else if (!StartLine()) {
                return;
            }
            Place(word.Letters);
            first = false;
        }
    }

    std::vector<TLaidOutLine> Take() { return std::move(FLines); }

private:
    bool StartLine() {
        if (FLines.size() >= FMaxLines) return false;
        FLines.emplace_back();
        FX = 0;
        return true;
    }

    int WidthOf(std::vector<TPiece>& pieces) {
        int width = 0;
        for (TPiece& piece : pieces) {
            piece.Width = FMeasure(piece.Text, piece.Run->Bold);
            width += piece.Width;
        }
        return width;
    }

    void Place(const std::vector<TPiece>& pieces) {
        TLaidOutLine& line = FLines.back();
        for (const TPiece& piece : pieces) {
            if (!line.empty() && line.back().Run.SameStyle(*piece.Run)) {
                line.back().Run.Text += piece.Text;
            } else {
                TPlacedRun placed;
                placed.Run.Text = piece.Text;
                placed.Run.Bold = piece.Run->Bold;
                placed.Run.HasColor = piece.Run->HasColor;
                placed.Run.Color = piece.Run->Color;
                placed.X = FX;
                line.push_back(std::move(placed));
            }
            FX += piece.Width;
        }
    }

    int FWidth;
    const TMeasureText& FMeasure;
    size_t FMaxLines;
    std::vector<TLaidOutLine> FLines;
    int FX = 0;
};

}  // namespace

std::vector<TLaidOutLine> BreakLines(const std::vector<TMarkupLine>& Lines, int Width, const TMeasureText& Measure,
                                     size_t MaxLines) {
    TLayout layout(Width, Measure, MaxLines);
    for (const TMarkupLine& line : Lines) layout.AddMarkupLine(line);
    return layout.Take();
}

size_t LinesThatFit(int Height, int LineHeight) {
    if (Height <= 0 || LineHeight <= 0) return 0;
    return static_cast<size_t>(Height / LineHeight);
}

}  // namespace zorv
