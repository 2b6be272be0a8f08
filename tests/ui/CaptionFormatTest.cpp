#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "RowName.h"
#include "foundation/Exceptions.h"
#include "ui/CaptionFormat.h"

namespace zorv {
namespace {

struct FormatCase {
    const char* Format;
    std::vector<int64_t> Args;
    const char* Expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.Format << " of";
    for (const int64_t arg : c.Args) *os << " " << arg;
}

class CaptionFormatTable : public ::testing::TestWithParam<FormatCase> {};

TEST_P(CaptionFormatTable, FillsIntegers) {
    const FormatCase& c = GetParam();
    std::string out;
    switch (c.Args.size()) {
        case 0: out = FormatCaption(c.Format, {}); break;
        case 1: out = FormatCaption(c.Format, {c.Args[0]}); break;
        default: out = FormatCaption(c.Format, {c.Args[0], c.Args[1]}); break;
    }
    EXPECT_EQ(out, c.Expected) << c.Format;
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, CaptionFormatTable,
    ::testing::Values(FormatCase{"%d, %d", {3456, 3457}, "3456, 3457"},
                      FormatCase{"%d, %d", {9999, 10000}, "9999, 10000"},
                      FormatCase{"+%04.4d@x  |  w%04.4d", {7, 7}, "+0007@x  |  w0007"},
                      FormatCase{"%04.4d", {0}, "0000"},
                      FormatCase{"%04.4d", {12345}, "12345"},
                      FormatCase{"%04.4d", {-5}, "-0005"},
                      FormatCase{"%.2d", {-5}, "-05"},
                      FormatCase{"%5d|", {42}, "   42|"},
                      FormatCase{"%-5d|", {42}, "42   |"},
                      FormatCase{"%8.4d", {42}, "    0042"},
                      FormatCase{"%.0d", {0}, "0"},
                      FormatCase{"%D", {1}, "1"},
                      FormatCase{"100%%", {}, "100%"},
                      FormatCase{"no conversions", {1, 2}, "no conversions"},
                      FormatCase{"%d", {INT64_MIN}, "-9223372036854775808"},
                      FormatCase{"%d", {INT32_MAX + int64_t{1}}, "2147483648"}),
    test::RowName());

class CaptionFormatRejects : public ::testing::TestWithParam<const char*> {};

TEST_P(CaptionFormatRejects, WhatItDoesNotFill) {
    EXPECT_THROW(FormatCaption(GetParam(), {1, 2}), EConvertError) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Invalid, CaptionFormatRejects,
                         ::testing::Values("%s", "%n", "%x", "%p", "%*d", "%0:d", "%", "100%", "%5", "%.", "%d%d%d",
                                           "%l", "%1025d", "%.99999999999999999999d", "%-"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             // The format spelt out: its signs are no characters of a test name.
                             std::string name;
                             for (const char* c = info.param; *c; ++c) {
                                 const char* sign = *c == '%' ? "Pct" : *c == '*' ? "Star" : *c == '.' ? "Dot"
                                                  : *c == ':' ? "Colon" : *c == '-' ? "Minus" : nullptr;
                                 name += sign ? std::string(sign) : std::string(1, *c);
                             }
                             return name;
                         });

}  // namespace
}  // namespace zorv
