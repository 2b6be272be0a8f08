#include <gtest/gtest.h>

#include "foundation/Cp1251.h"
#include "foundation/TextUtils.h"

namespace zorv {
namespace {

TEST(Cp1251, RoundTripsEveryAssignedByte) {
    for (int b = 1; b < 256; ++b) {
        if (b == 0x98) continue;  // unassigned in Windows-1251
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(one)), one) << b;
    }
}

TEST(Cp1251, ConvertsRussianTextAndTheEmDash) {
    EXPECT_EQ(Cp1251ToUtf8("\xC7\xEE\xF0\xE2"), "Зорв");
    EXPECT_EQ(Utf8ToCp1251("——"), "\x97\x97");
    EXPECT_EQ(Ansi("Ёё №"), "\xA8\xB8 \xB9");
}

TEST(Cp1251, ReplacesWhatItCannotHoldAndMalformedBytes) {
    EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xADz"), "a?z");  // a CJK character
    EXPECT_EQ(Utf8ToCp1251("a\xC3"), "a?");            // cut short at the end
    EXPECT_EQ(Utf8ToCp1251("\xFF\x41"), "?A");         // no valid lead byte
    EXPECT_EQ(Utf8ToCp1251("\xD0\x41"), "?A");         // lead without continuation
}

TEST(Cp1251, ReadsUtf16LittleEndian) {
    EXPECT_EQ(Utf16LeToCp1251(std::string("A\0\x16\x04\xAC\x20", 6)), "A\xC6\x88");  // A, Ж, the euro sign
    EXPECT_EQ(Utf16LeToCp1251(std::string("\xE9\0", 2)), "?");                  // é is not in Windows-1251
    EXPECT_EQ(Utf16LeToCp1251("\x3D\xD8\x42\xDE" "a"), "?");                  // one pair, one odd byte
}

TEST(Cp1251, UpperCasesLatinAndCyrillicOnly) {
    EXPECT_EQ(AnsiUpperCase(Ansi("value error: ошибка ё")), Ansi("VALUE ERROR: ОШИБКА Ё"));
    EXPECT_EQ(AnsiUpperCase("abc-123_[]"), "ABC-123_[]");
    EXPECT_EQ(AnsiUpperCase("\x97"), "\x97");
}

TEST(TextUtils, SplitsAtEveryKindOfLineBreak) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(SplitLines("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\rb"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("\n"), Lines{""});
    EXPECT_EQ(SplitLines("x  "), Lines{"x  "});
}

TEST(TextUtils, TrimsControlCharactersAndCutsAtNul) {
    EXPECT_EQ(TrimControl("\t\x01 SIM_CHANNELS=1,G \r"), "SIM_CHANNELS=1,G");
    EXPECT_EQ(TrimControl(" \x1F "), "");
    EXPECT_EQ(UntilNul(std::string("ab\0cd", 5)), "ab");
}

}  // namespace
}  // namespace zorv
