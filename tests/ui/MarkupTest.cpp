#include <gtest/gtest.h>

#include <random>

#include "RowName.h"
#include "ui/Markup.h"

namespace zorv {

void PrintTo(const TTextRun& run, std::ostream* os) {
    *os << '"' << run.Text << '"' << (run.Bold ? " bold" : "");
    if (run.HasColor) *os << " #" << std::hex << run.Color << std::dec;
}

namespace {

TTextRun Plain(const std::string& text) { return {text, false, false, 0}; }
TTextRun Bold(const std::string& text) { return {text, true, false, 0}; }
TTextRun Grey(const std::string& text, bool bold = false) { return {text, bold, true, 0x96938D}; }

struct MarkupCase {
    const char* Name;
    std::string Markup;
    std::vector<TMarkupLine> Expected;
};

void PrintTo(const MarkupCase& c, std::ostream* os) { *os << c.Name; }

class MarkupTable : public ::testing::TestWithParam<MarkupCase> {};

TEST_P(MarkupTable, ParsesIntoStyledLines) { EXPECT_EQ(ParseMarkup(GetParam().Markup), GetParam().Expected); }

INSTANTIATE_TEST_SUITE_P(
    Markup, MarkupTable,
    ::testing::Values(
        MarkupCase{"Empty", "", {{}}},
        MarkupCase{"PlainText", "3456, 3457", {{Plain("3456, 3457")}}},
        MarkupCase{"BreakMakesLines", "a<BR>b", {{Plain("a")}, {Plain("b")}}},
        MarkupCase{"BreakAtEndsGivesEmptyLines", "<BR>a<BR>", {{}, {Plain("a")}, {}}},
        MarkupCase{"BreakVariants", "a<br/>b<Br />c</BR>d", {{Plain("a")}, {Plain("b")}, {Plain("cd")}}},
        MarkupCase{"BoldRun", "x<B>Obj</B>y", {{Plain("x"), Bold("Obj"), Plain("y")}}},
        MarkupCase{"LowerCaseTags", "<b>a</b>", {{Bold("a")}}},
        MarkupCase{"GreyTitle",
                   "<FONT color=\"#96938D\"><B>T</B></FONT>",
                   {{Grey("T", true)}}},
        MarkupCase{"GreyDashes", "<FONT color=\"#96938D\">\x97\x97</FONT>", {{Grey("\x97\x97")}}},
        MarkupCase{"ColourSpellings",
                   "<font COLOR='#96938d'>a</font><FONT color=96938D>b</FONT><FONT  color = \"#96938D\" >c</FONT>",
                   {{Grey("abc")}}},
        MarkupCase{"NestedFontRestoresOuter",
                   "<FONT color=\"#96938D\">a<FONT color=\"#010203\">b</FONT>c</FONT>d",
                   {{Grey("a"), {"b", false, true, 0x010203}, Grey("c"), Plain("d")}}},
        MarkupCase{"BadColourInherits", "<FONT color=\"#96938D\"><FONT color=\"red\">a</FONT></FONT>", {{Grey("a")}}},
        MarkupCase{"FontWithoutColour", "<FONT face=x>a</FONT>", {{Plain("a")}}},
        MarkupCase{"UnknownTagsDropped", "<I>a</I><A href=\"x\">b</A><P2>c", {{Plain("abc")}}},
        MarkupCase{"UnclosedBoldLastsToEnd", "<B>a<BR>b", {{Bold("a")}, {Bold("b")}}},
        MarkupCase{"StrayClosingTagsIgnored", "</B></FONT>a", {{Plain("a")}}},
        MarkupCase{"NestedBold", "<B><B>a</B>b</B>c", {{Bold("ab"), Plain("c")}}},
        MarkupCase{"LessThanAlone", "a < b", {{Plain("a < b")}}},
        MarkupCase{"LessThanAtEnd", "a<", {{Plain("a<")}}},
        MarkupCase{"NotATagName", "1<2>3 <=> <>", {{Plain("1<2>3 <=> <>")}}},
        MarkupCase{"LessThanBeforeTag", "a<<B>b", {{Plain("a<"), Bold("b")}}},
        MarkupCase{"TagNotClosed", "a<B b", {{Plain("a<B b")}}},
        MarkupCase{"GreaterThanAlone", "a>b", {{Plain("a>b")}}},
        MarkupCase{"LineEndsAndTabsAreBlanks", "a\r\nb\tc", {{Plain("a  b c")}}},
        MarkupCase{"BlanksKept", "x  |  y", {{Plain("x  |  y")}}},
        MarkupCase{"UnterminatedQuoteTakesTheRest", "<FONT color=\"#96938D>a", {{Grey("a")}}}),
    test::RowName());

struct PlainCase {
    const char* Name;
    std::string Markup;
    std::string Expected;
};

void PrintTo(const PlainCase& c, std::ostream* os) { *os << c.Name; }

class PlainTextTable : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainTextTable, KeepsTheWordsAndTheLineBreaks) {
    EXPECT_EQ(PlainText(ParseMarkup(GetParam().Markup)), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Markup, PlainTextTable,
    ::testing::Values(PlainCase{"Empty", "", ""},
                      PlainCase{"StylesDropped", "<B>a</B> <FONT color=\"#96938D\">b</FONT>c", "a bc"},
                      PlainCase{"BreaksKept", "a<BR>b", "a\nb"},
                      PlainCase{"EmptyLinesLeftOut", "<BR>a<BR><BR>b<BR>", "a\nb"}),
    test::RowName());

TEST(Markup, GarbageAndHugeTextsAreParsedWithoutFailing) {
    std::mt19937 random(96938);
    const char alphabet[] = "<>/BRFONTbrfont =\"'#96938Dx\x97\0";
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const size_t size = random() % 300;
        for (size_t i = 0; i < size; ++i) text += alphabet[random() % (sizeof(alphabet) - 1)];
        const std::vector<TMarkupLine> lines = ParseMarkup(text);
        ASSERT_FALSE(lines.empty());
        for (const TMarkupLine& line : lines) {
            for (size_t i = 0; i < line.size(); ++i) {
                EXPECT_FALSE(line[i].Text.empty());
                if (i > 0) {
                    EXPECT_FALSE(line[i].SameStyle(line[i - 1]));
                }
            }
        }
    }
    EXPECT_EQ(ParseMarkup(std::string(1 << 20, '<')).at(0).at(0).Text.size(), size_t{1} << 20);
    EXPECT_EQ(ParseMarkup(std::string(1 << 20, '<') + ">").at(0).at(0).Text.size(), (size_t{1} << 20) + 1);
    std::string manyBreaks;
    for (int i = 0; i < 100000; ++i) manyBreaks += "<BR>";
    EXPECT_EQ(ParseMarkup(manyBreaks).size(), 100001u);
    std::string deepFonts;
    for (int i = 0; i < 100000; ++i) deepFonts += "<FONT color=#000001><B>";
    EXPECT_EQ(ParseMarkup(deepFonts + "x").at(0).at(0).Color, 1u);
}

}  // namespace
}  // namespace zorv
