#pragma once
// The markup subset of the window's formatted labels: "<B>" and "</B>" for bold,
// "<BR>" for a line break, "<FONT color="#RRGGBB">" and "</FONT>" for a text
// colour. Tag names and attribute names are case-insensitive; other tags are
// dropped; a "<" that does not open a tag is text. Texts are Windows-1251.
#include <cstdint>
#include <string>
#include <vector>

namespace zorv {

struct TTextRun {
    std::string Text;
    bool Bold = false;
    // Without a colour the label's own text colour applies.
    bool HasColor = false;
    uint32_t Color = 0;  // 0xRRGGBB

    bool SameStyle(const TTextRun& other) const {
        return Bold == other.Bold && HasColor == other.HasColor && (!HasColor || Color == other.Color);
    }
    bool operator==(const TTextRun& other) const { return Text == other.Text && SameStyle(other); }
};

// The runs between two explicit line breaks; neighbouring runs differ in style.
using TMarkupLine = std::vector<TTextRun>;

// Always at least one line. Line ends and tabs inside the text count as blanks.
std::vector<TMarkupLine> ParseMarkup(const std::string& Markup);

// The words without their styles, as a screen reader reads them: the lines'
// texts joined by line breaks, empty lines left out.
std::string PlainText(const std::vector<TMarkupLine>& Lines);

}  // namespace zorv
