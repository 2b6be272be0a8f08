#include <gtest/gtest.h>

#include "DemoScript.h"
#include "RowName.h"
#include "TextResources.h"
#include "dialogue/CommandsList.h"
#include "foundation/Resources.h"

namespace zorv {
namespace {

using test::ScriptCommand;
using test::TextResources;

std::vector<ScriptCommand> GiveOutAll(TCommandsList& list) {
    std::vector<ScriptCommand> given;
    ScriptCommand next;
    while (list.GetNextCommand(next.Command, next.ExpectedReply)) given.push_back(next);
    return given;
}

void ExpectSameCommands(const std::vector<ScriptCommand>& actual, const std::vector<ScriptCommand>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].Command, expected[i].Command) << "command " << i + 1;
        EXPECT_EQ(actual[i].ExpectedReply, expected[i].ExpectedReply) << "command " << i + 1;
    }
}

TEST(CommandsList, DemonstrationScriptGivesItsFiftyTwoCommandsInOrder) {
    TCommandsList list(BuiltInResources());
    list.InitStartCmd();
    EXPECT_EQ(list.Count(), 62);
    list.InitAccount(1234);
    ExpectSameCommands(GiveOutAll(list), test::DemoScriptCommands("1234"));
    EXPECT_EQ(list.Count(), 0);
    std::string command = "kept", reply = "kept too";
    EXPECT_FALSE(list.GetNextCommand(command, reply));
    EXPECT_EQ(command, "kept");
    EXPECT_EQ(reply, "kept too");
}

TEST(CommandsList, FactoryScriptGivesThreeCommandsWithoutExpectedReplies) {
    TCommandsList list(BuiltInResources());
    list.InitEndCmd();
    EXPECT_EQ(list.Count(), 4);
    ExpectSameCommands(GiveOutAll(list), {{"ftdef", ""}, {"settings_save", ""}, {"reset", ""}});
}

TEST(CommandsList, LoadingReplacesWhatTheListHeld) {
    TCommandsList list(BuiltInResources());
    list.InitStartCmd();
    list.InitStartCmd();
    EXPECT_EQ(list.Count(), 62);
    std::string command, reply;
    ASSERT_TRUE(list.GetNextCommand(command, reply));
    list.InitEndCmd();
    EXPECT_EQ(list.Count(), 4);
    list.InitStartCmd();
    ASSERT_TRUE(list.GetNextCommand(command, reply));
    EXPECT_EQ(command, "ftdef");
}

TEST(CommandsList, GivingOutConsumesEmptyLinesOnTheWay) {
    TCommandsList list(BuiltInResources());
    list.InitStartCmd();
    std::string command, reply;
    ASSERT_TRUE(list.GetNextCommand(command, reply));  // "ftdef"
    EXPECT_EQ(list.Count(), 61);
    ASSERT_TRUE(list.GetNextCommand(command, reply));  // the empty line 2, then line 3
    EXPECT_EQ(command, "REFRESH_PART_STATE");
    EXPECT_EQ(list.Count(), 59);
}

TEST(CommandsList, MissingScriptGivesAnEmptyList) {
    TextResources resources;
    TCommandsList list(resources);
    list.InitStartCmd();
    EXPECT_EQ(list.Count(), 0);
    std::string command, reply;
    EXPECT_FALSE(list.GetNextCommand(command, reply));
}

TEST(CommandsList, ScriptOfEmptyLinesGivesNothingAndEndsEmpty) {
    TextResources resources;
    resources.Texts["ZORVGSMDEMOENCMD"] = "\r\n \r\n\t\n\n";
    TCommandsList list(resources);
    list.InitEndCmd();
    EXPECT_EQ(list.Count(), 4);
    std::string command = "x", reply = "y";
    EXPECT_FALSE(list.GetNextCommand(command, reply));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(command, "x");
    EXPECT_EQ(reply, "y");
}

TEST(CommandsList, LinesEndAtCrLfOrCrLfAndTheTextAtItsFirstNul) {
    TextResources resources;
    resources.Texts["ZORVGSMDEMOENCMD"] = std::string("A=1\rB=2\nC=3\r\nD=4\0E=5\r\n", 22);
    TCommandsList list(resources);
    list.InitEndCmd();
    EXPECT_EQ(list.Count(), 4);
    ExpectSameCommands(GiveOutAll(list), {{"A=1", "A"}, {"B=2", "B"}, {"C=3", "C"}, {"D=4", "D"}});
}

struct ReplyCase {
    const char* Line;
    const char* Command;
    const char* ExpectedReply;
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.Line; }

class ExpectedReplyTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ExpectedReplyTest, IsTheKeywordBeforeTheSeparator) {
    TextResources resources;
    resources.Texts["ZORVGSMDEMOENCMD"] = std::string(GetParam().Line) + "\n";
    TCommandsList list(resources);
    list.InitEndCmd();
    std::string command, reply = "stale";
    ASSERT_TRUE(list.GetNextCommand(command, reply));
    EXPECT_EQ(command, GetParam().Command);
    EXPECT_EQ(reply, GetParam().ExpectedReply);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ExpectedReplyTest,
    ::testing::Values(ReplyCase{"VERSION?", "VERSION?", "ver"}, ReplyCase{"FIRMWARE=1", "FIRMWARE=1", "ver"},
                      ReplyCase{"get_version=1", "get_version=1", "ver"},
                      ReplyCase{"KVELT_SN?", "KVELT_SN?", "KVELT_SN"}, ReplyCase{"A=B?C", "A=B?C", "A=B"},
                      ReplyCase{"=5", "=5", ""}, ReplyCase{"?", "?", ""}, ReplyCase{"ftdef", "ftdef", ""},
                      ReplyCase{"  Volume=150 \t", "Volume=150", "Volume"},
                      ReplyCase{"PART_ZONES=1=1,0", "PART_ZONES=1=1,0", "PART_ZONES"},
                      ReplyCase{"X=VERSION", "X=VERSION", "X"}),
    test::RowName());

TEST(CommandsList, AccountGoesIntoTheFirstPlaceholderLineWhole) {
    TextResources resources;
    resources.Texts["ZORVGSMDEMOENCMD"] = "ftdef\n \n  xx account=\"\" yy\nACCOUNT=\"\"\n";
    TCommandsList list(resources);
    list.InitEndCmd();
    list.InitAccount(1234);
    ExpectSameCommands(GiveOutAll(list), {{"ftdef", ""}, {"ACCOUNT=1234", "ACCOUNT"}, {"ACCOUNT=\"\"", "ACCOUNT"}});
}

TEST(CommandsList, AccountIsWrittenOnceIntoTheDemonstrationScript) {
    TCommandsList list(BuiltInResources());
    list.InitStartCmd();
    list.InitAccount(0);
    list.InitAccount(77);
    const auto given = GiveOutAll(list);
    ASSERT_GE(given.size(), 3u);
    EXPECT_EQ(given[2].Command, "ACCOUNT=0");
}

TEST(CommandsList, AccountTakesTheFullUnsignedRange) {
    TextResources resources;
    resources.Texts["ZORVGSMDEMOENCMD"] = "ACCOUNT=\"\"\n";
    TCommandsList list(resources);
    list.InitEndCmd();
    list.InitAccount(4294967295u);
    ExpectSameCommands(GiveOutAll(list), {{"ACCOUNT=4294967295", "ACCOUNT"}});
}

TEST(CommandsList, AccountWithoutPlaceholderChangesNothing) {
    TCommandsList list(BuiltInResources());
    list.InitEndCmd();
    list.InitAccount(1234);
    EXPECT_EQ(list.Count(), 4);
    ExpectSameCommands(GiveOutAll(list), {{"ftdef", ""}, {"settings_save", ""}, {"reset", ""}});
}

}  // namespace
}  // namespace zorv
