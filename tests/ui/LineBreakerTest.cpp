#include <gtest/gtest.h>

#include "RowName.h"
#include "ui/LineBreaker.h"

namespace zorv {
namespace {

// One pixel per character, two in bold; counts the calls.
struct CountingMeasure {
    int Calls = 0;
    TMeasureText Function() {
        return [this](const std::string& text, bool bold) {
            ++Calls;
            return static_cast<int>(text.size()) * (bold ? 2 : 1);
        };
    }
};

// The laid-out lines as "x:text" runs joined by "|", lines by "/".
std::string Describe(const std::vector<TLaidOutLine>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) out += '/';
        for (size_t j = 0; j < lines[i].size(); ++j) {
            if (j) out += '|';
            out += std::to_string(lines[i][j].X) + ':' + (lines[i][j].Run.Bold ? "*" : "") + lines[i][j].Run.Text;
        }
    }
    return out;
}

struct BreakCase {
    const char* Name;
    const char* Markup;
    int Width;
    size_t MaxLines;
    const char* Expected;
};

void PrintTo(const BreakCase& c, std::ostream* os) { *os << c.Name; }

class LineBreakTable : public ::testing::TestWithParam<BreakCase> {};

TEST_P(LineBreakTable, WrapsAtBlanks) {
    CountingMeasure measure;
    const BreakCase& c = GetParam();
    EXPECT_EQ(Describe(BreakLines(ParseMarkup(c.Markup), c.Width, measure.Function(), c.MaxLines)), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineBreakTable,
    ::testing::Values(
        BreakCase{"FitsOnOneLine", "aa bb", 5, 3, "0:aa bb"},
        BreakCase{"WrapsAndDropsTheBlank", "aa bb", 4, 3, "0:aa/0:bb"},
        BreakCase{"WrapsAtTheLastBlankThatFits", "aa bb cc dd", 8, 3, "0:aa bb cc/0:dd"},
        BreakCase{"ExplicitBreak", "aa<BR>bb", 50, 3, "0:aa/0:bb"},
        BreakCase{"EmptyLinesCount", "<BR><BR>a", 50, 3, "//0:a"},
        BreakCase{"LongWordStandsAlone", "a verylongword b", 5, 3, "0:a/0:verylongword/0:b"},
        BreakCase{"LongFirstWordStaysOnFirstLine", "verylongword", 5, 3, "0:verylongword"},
        BreakCase{"LinesBeyondMaxAreDropped", "a b c d e", 1, 3, "0:a/0:b/0:c"},
        BreakCase{"NoLinesWanted", "a b", 10, 0, ""},
        BreakCase{"BoldIsWider", "<B>ab</B> cd", 6, 3, "0:*ab/0:cd"},
        BreakCase{"RunsKeepTheirPositions", "a <B>bc</B> d", 20, 3, "0:a |2:*bc|6: d"},
        BreakCase{"WordAcrossStylesIsOneWord", "aa <B>b</B>c", 4, 3, "0:aa/0:*b|2:c"},
        BreakCase{"LeadingBlanksKept", "  a", 10, 3, "0:  a"},
        BreakCase{"TrailingBlanksDropped", "a   ", 10, 3, "0:a"},
        BreakCase{"BlanksOnlyLine", "   ", 10, 3, ""},
        BreakCase{"ManyBlanksAtWrapDropped", "aa     bb", 4, 3, "0:aa/0:bb"},
        BreakCase{"CloudValueKeepsItsBlanks", "x+0000@z  |  z0000", 18, 1, "0:x+0000@z  |  z0000"},
        BreakCase{"ZeroWidthStillOneWordPerLine", "a b", 0, 5, "0:a/0:b"}),
    test::RowName());

TEST(LineBreaker, StateTextOfFourLinesShowsThree) {
    CountingMeasure measure;
    const auto lines = BreakLines(ParseMarkup("first<BR>one two three four five six"), 10, measure.Function(),
                                  LinesThatFit(42, 13));
    EXPECT_EQ(Describe(lines), "0:first/0:one two/0:three four");
}

TEST(LineBreaker, HugeTextIsMeasuredOnlyAsFarAsItShows) {
    CountingMeasure measure;
    std::string huge;
    for (int i = 0; i < 200000; ++i) huge += "word ";
    const auto lines = BreakLines(ParseMarkup(huge), 100, measure.Function(), 3);
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_LT(measure.Calls, 200);
    const auto oneWord = BreakLines(ParseMarkup(std::string(1 << 20, 'x')), 100, measure.Function(), 3);
    ASSERT_EQ(oneWord.size(), 1u);
    EXPECT_EQ(oneWord[0][0].Run.Text.size(), size_t{1} << 20);
}

TEST(LineBreaker, LinesThatFitCountsWholeLines) {
    EXPECT_EQ(LinesThatFit(42, 13), 3u);
    EXPECT_EQ(LinesThatFit(19, 13), 1u);
    EXPECT_EQ(LinesThatFit(13, 13), 1u);
    EXPECT_EQ(LinesThatFit(12, 13), 0u);
    EXPECT_EQ(LinesThatFit(0, 13), 0u);
    EXPECT_EQ(LinesThatFit(-5, 13), 0u);
    EXPECT_EQ(LinesThatFit(42, 0), 0u);
}

}  // namespace
}  // namespace zorv
