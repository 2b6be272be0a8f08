#include <gtest/gtest.h>

#include <string>

#include "RowName.h"
#include "form/ZorvGSMDemoMain.h"
#include "foundation/Cp1251.h"
#include "foundation/Exceptions.h"

namespace zorv {
namespace {

struct NextTokenCase {
    const char* Title;
    std::string Text;
    int32_t Position;
    std::string Token;
    int32_t NextPosition;
};

void PrintTo(const NextTokenCase& c, std::ostream* os) { *os << c.Title; }

class NextTokenTest : public ::testing::TestWithParam<NextTokenCase> {};

TEST_P(NextTokenTest, TakesThePieceUpToTheNextNul) {
    const NextTokenCase& c = GetParam();
    int32_t position = c.Position;
    std::string token = "stale";
    TZorvGSMDemoMainForm::NextToken(c.Text, position, token);
    EXPECT_EQ(token, c.Token);
    EXPECT_EQ(position, c.NextPosition);
}

const std::string kList("COM1\0COM22\0\0", 12);

INSTANTIATE_TEST_SUITE_P(
    Cases, NextTokenTest,
    ::testing::Values(NextTokenCase{"First", kList, 1, "COM1", 6},
                      NextTokenCase{"Second", kList, 6, "COM22", 12},
                      NextTokenCase{"EndOfList", kList, 12, "", 13},
                      NextTokenCase{"PastTheText", kList, 13, "", 13},
                      NextTokenCase{"EmptyText", "", 1, "", 1},
                      NextTokenCase{"NoNul", "COM1", 1, "", 1},
                      NextTokenCase{"LastPieceWithoutNul", std::string("ab\0cd", 5), 4, "", 1},
                      NextTokenCase{"FromTheMiddle", std::string("abc\0", 4), 2, "bc", 5}),
    test::RowName());

TEST(NextTokenRangeTest, PositionBelowOneIsARangeError) {
    for (const int32_t start : {0, -1, INT32_MIN}) {
        int32_t position = start;
        std::string token;
        try {
            TZorvGSMDemoMainForm::NextToken(kList, position, token);
            ADD_FAILURE() << "no error for " << start;
        } catch (const ERangeError& e) {
            EXPECT_EQ(std::string(e.what()), Ansi("aStartPos должен быть больше 0"));
        }
        EXPECT_EQ(position, start);
    }
}

}  // namespace
}  // namespace zorv
