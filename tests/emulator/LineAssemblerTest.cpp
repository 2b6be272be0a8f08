#include "LineAssembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorv::emu {
namespace {

struct AssemblyCase {
    const char* Name;
    std::vector<std::string> Feeds;
    std::vector<std::string> Lines;
    std::size_t PendingAfter;
};

class LineAssemblyTest : public ::testing::TestWithParam<AssemblyCase> {};

TEST_P(LineAssemblyTest, CutsLines) {
    LineAssembler assembler(8);
    std::vector<std::string> lines;
    for (const auto& feed : GetParam().Feeds)
        for (auto& line : assembler.Feed(feed)) lines.push_back(line.Text);
    EXPECT_EQ(lines, GetParam().Lines);
    EXPECT_EQ(assembler.PendingBytes(), GetParam().PendingAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineAssemblyTest,
    ::testing::Values(
        AssemblyCase{"CrLf", {"VERSION?\r\n"}, {"VERSION?"}, 0},
        AssemblyCase{"CrAlone", {"A\rB\r"}, {"A", "B"}, 0},
        AssemblyCase{"LfAlone", {"A\nB\n"}, {"A", "B"}, 0},
        AssemblyCase{"EmptyCommand", {"\r\n", "X\r\n"}, {"", "X"}, 0},
        AssemblyCase{"LfOfPairInNextFeed", {"A\r", "\nB\r\n"}, {"A", "B"}, 0},
        AssemblyCase{"SecondLfIsAnEmptyLine", {"A\r\n\n"}, {"A", ""}, 0},
        AssemblyCase{"PiecesJoin", {"VER", "SI", "ON?", "\r", "\n"}, {"VERSION?"}, 0},
        AssemblyCase{"UnfinishedStays", {"ABC"}, {}, 3},
        AssemblyCase{"ZeroBytesKept", {std::string("A\0B\r", 4)}, {std::string("A\0B", 3)}, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(LineAssemblerTest, OverlongLineIsCutAndMarkedThenAssemblyGoesOn) {
    LineAssembler assembler(8);
    auto lines = assembler.Feed("0123456789ABCDEF\r\nOK\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Text, "01234567");
    EXPECT_TRUE(lines[0].Overlong);
    EXPECT_EQ(lines[1].Text, "OK");
    EXPECT_FALSE(lines[1].Overlong);
}

TEST(LineAssemblerTest, FloodWithoutLineEndKeepsMemoryBounded) {
    LineAssembler assembler(4096);
    const std::string block(64 * 1024, 'x');
    for (int i = 0; i < 160; ++i) {  // 10 MB
        EXPECT_TRUE(assembler.Feed(block).empty());
        ASSERT_LE(assembler.PendingBytes(), 4096u);
    }
    const auto lines = assembler.Feed("\r\nVERSION?\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].Overlong);
    EXPECT_EQ(lines[1].Text, "VERSION?");
}

TEST(LineAssemblerTest, ClearForgetsTheHalfLineAndTheCr) {
    LineAssembler assembler(8);
    assembler.Feed("ABC\r");
    assembler.Feed("DEF");
    assembler.Clear();
    EXPECT_EQ(assembler.PendingBytes(), 0u);
    const auto lines = assembler.Feed("\nX\r");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Text, "");
    EXPECT_EQ(lines[1].Text, "X");
}

}  // namespace
}  // namespace zorv::emu
