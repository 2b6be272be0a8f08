#include <gtest/gtest.h>

#include "RowName.h"
#include "foundation/CommonUtils.h"
#include "foundation/Exceptions.h"

namespace zorv {
namespace {

struct TokenCase {
    const char* Text;
    int Index;
    const char* Expected;
};

void PrintTo(const TokenCase& c, std::ostream* os) { *os << c.Text << " field " << c.Index; }

class ExtractTokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(ExtractTokenTest, GivesTheIndexedField) {
    const TokenCase& c = GetParam();
    EXPECT_EQ(ExtractToken(c.Text, ".", static_cast<uint8_t>(c.Index)), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Fields, ExtractTokenTest,
                         ::testing::Values(TokenCase{"1.20.0.48", 1, "1"}, TokenCase{"1.20.0.48", 2, "20"},
                                           TokenCase{"1.20.0.48", 3, "0"}, TokenCase{"1.20.0.48", 4, "48"},
                                           TokenCase{"5.1.10.6", 5, ""}, TokenCase{"5.", 2, ""},
                                           TokenCase{".5", 1, ""}, TokenCase{".5", 2, "5"},
                                           TokenCase{"5..6", 2, ""}, TokenCase{"5..6", 3, "6"},
                                           TokenCase{"abc", 0, ""}, TokenCase{"", 1, ""},
                                           TokenCase{"abc", 1, "abc"}, TokenCase{"abc", 2, ""},
                                           TokenCase{"a.b", 255, ""}),
                         test::RowName());

TEST(ExtractToken, AcceptsTwoHundredFiftyFiveCharactersAndRejectsMore) {
    const std::string longest(255, '7');
    EXPECT_EQ(ExtractToken(longest, ".", 1), longest);
    EXPECT_THROW(ExtractToken(longest + "7", ".", 1), ERangeError);
}

TEST(ExtractToken, UsesMultiCharacterDelimitersWhole) {
    EXPECT_EQ(ExtractToken("a::b:c", "::", 2), "b:c");
}

struct BuildCase {
    const char* Reference;
    const char* Version;
    int32_t Code;
};

void PrintTo(const BuildCase& c, std::ostream* os) { *os << c.Version << " against " << c.Reference; }

class CompareBuildVersionTest : public ::testing::TestWithParam<BuildCase> {};

TEST_P(CompareBuildVersionTest, GivesTheResultCode) {
    const BuildCase& c = GetParam();
    EXPECT_EQ(CompareBuildVersion(c.Reference, c.Version), c.Code) << c.Reference << " / " << c.Version;
}

INSTANTIATE_TEST_SUITE_P(Builds, CompareBuildVersionTest,
                         ::testing::Values(BuildCase{"5.1.10.6", "5.1.10.7", kBuildLater},
                                           BuildCase{"5.1.10.6", "5.1.11.0", kBuildLater},
                                           BuildCase{"5.1.10.6", "5.1.$B.0", kBuildLater},
                                           BuildCase{"5.1.10.6", "5.1.10.5", kBuildEarlier},
                                           BuildCase{"5.1.10.6", "5.1.9.12", kBuildEarlier},
                                           BuildCase{"5.1.10.6", "5.1.-1.6", kBuildEarlier},
                                           BuildCase{"5.1.10.6", "5.1.x.6", kBuildEarlier},
                                           BuildCase{"5.1.10.6", "5.2.10.6", kBuildSame},
                                           BuildCase{"5.1.10.6", "5.1.10.6.9", kBuildSame},
                                           BuildCase{"5.1.10", "5.1.10.6", kBuildReferenceIncomplete},
                                           BuildCase{"5.1..6", "5.1", kBuildReferenceIncomplete},
                                           BuildCase{"5.1.10.6", "5.1.10", kBuildVersionIncomplete},
                                           BuildCase{"5.1.10.6", "5.1..6", kBuildVersionIncomplete}),
                         test::RowName());

struct IntCase {
    const char* Text;
    bool Converts;
    int32_t Value;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << c.Text; }

class TryStrToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(TryStrToIntTest, ConvertsLikeTheUsualIntegerConversion) {
    const IntCase& c = GetParam();
    int32_t value = 12345;
    EXPECT_EQ(TryStrToInt(c.Text, value), c.Converts) << c.Text;
    if (c.Converts) {
        EXPECT_EQ(value, c.Value) << c.Text;
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, TryStrToIntTest,
                         ::testing::Values(IntCase{"123456", true, 123456}, IntCase{"  -5", true, -5},
                                           IntCase{"+7", true, 7}, IntCase{"$1F", true, 31},
                                           IntCase{"0x10", true, 16}, IntCase{"$FFFFFFFF", true, -1},
                                           IntCase{"2147483647", true, 2147483647},
                                           IntCase{"-2147483648", true, INT32_MIN},
                                           IntCase{"2147483648", false, 0}, IntCase{"12AB", false, 0},
                                           IntCase{"", false, 0}, IntCase{"-", false, 0},
                                           IntCase{"5 ", false, 0}, IntCase{"NOT SET", false, 0},
                                           IntCase{"99999999999999999999", false, 0}),
                         test::RowName());

}  // namespace
}  // namespace zorv
