#include "PanelLogic.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zorv::emu {
namespace {

using Lines = std::vector<std::string>;

struct ReplyCase {
    const char* Name;
    std::function<void(PanelOptions&)> Configure;
    std::string Command;
    Lines Replies;
    bool Restart = false;
};

void MainPanel(PanelOptions&) {}
void Bootloader(PanelOptions& o) { o.StartInBootloader = true; }
// Faults of the panel's own answers.
void ChangedCase(PanelOptions& o) { o.EchoChangedCase = true; }
void StuckBootloader(PanelOptions& o) {
    o.StartInBootloader = true;
    o.BootloaderStuck = true;
}

class PanelReplyTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(PanelReplyTest, AnswersLikeThePanel) {
    PanelOptions options;
    GetParam().Configure(options);
    PanelLogic logic(options);
    const PanelResponse response = logic.Respond(GetParam().Command);
    EXPECT_EQ(response.Lines, GetParam().Replies);
    EXPECT_EQ(response.Restart, GetParam().Restart);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, PanelReplyTest,
    ::testing::Values(
        ReplyCase{"BlanksOnly", MainPanel, " \t ", {}},
        ReplyCase{"MainVersionLowerCase", MainPanel, "version?", {"Main ver=5.1.10.6"}},
        ReplyCase{"BootloaderStartMain", Bootloader, "START_MAIN", {}, true},
        ReplyCase{"BootloaderRefusesTheRest", Bootloader, "KVELT_SN?", {"UNKNOWN_COMMAND"}},
        ReplyCase{"BootloaderRefusesReset", Bootloader, "reset", {"UNKNOWN_COMMAND"}},
        ReplyCase{"MainRefusesStartMain", MainPanel, "START_MAIN", {"UNKNOWN_COMMAND"}},
        ReplyCase{"ChangedPassword", [](PanelOptions& o) { o.Password = "4321"; }, "AUTH=7653",
                  {"Error: wrong password"}},
        ReplyCase{"ChangedPasswordAccepted", [](PanelOptions& o) { o.Password = "4321"; }, "AUTH=4321", {"OK"}},
        ReplyCase{"Setting", MainPanel, "VOLUME=150", {"OK"}},
        ReplyCase{"PlainCommand", MainPanel, "REFRESH_PART_STATE", {"OK"}},
        ReplyCase{"Reset", MainPanel, "reset", {"OK"}, true},
        ReplyCase{"ResetAnyCase", MainPanel, "Reset", {"OK"}, true},
        ReplyCase{"LongerThanReset", MainPanel, "RESET_ALL", {"OK"}},
        ReplyCase{"QueryOfUnknownSetting", MainPanel, "VOLUME?", {"UNKNOWN_COMMAND"}},
        ReplyCase{"SilentKeywordAnyCase", [](PanelOptions& o) { o.SilentKeywords = {"volume"}; }, "VOLUME=150",
                  {}},
        ReplyCase{"SilentMeansNoEcho",
                  [](PanelOptions& o) {
                      o.Echo = true;
                      o.SilentKeywords = {"FTDEF"};
                  },
                  "ftdef", {}},
        ReplyCase{"SilenceOfOtherKeyword", [](PanelOptions& o) { o.SilentKeywords = {"VOLUME"}; }, "VOLUMES=1",
                  {"OK"}},
        ReplyCase{"ControlBytesInCommand", MainPanel, std::string("\x01\xff=\x7f", 4), {"OK"}},
        ReplyCase{"NoKeyword", MainPanel, "=150", {"UNKNOWN_COMMAND"}},
        ReplyCase{"EchoInChangedCase", ChangedCase, "VERSION?", {"version?", "Main ver=5.1.10.6"}},
        ReplyCase{"EchoSwapsEveryLetter", ChangedCase, "Arm_Allowed=2", {"aRM_aLLOWED=2", "OK"}},
        ReplyCase{"StuckBootloaderTakesStartMain", StuckBootloader, "START_MAIN", {}, false},
        ReplyCase{"StuckBootloaderStillAnswersVersion", StuckBootloader, "VERSION?", {"Bootloader"}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(PanelLogicTest, SettingsAreStoredAsWrittenAndAnsweredToQueries) {
    PanelLogic logic(PanelOptions{});
    auto response = logic.Respond("PART_ZONES=0=0,0,0,1");
    ASSERT_TRUE(response.Stored);
    EXPECT_EQ(response.Stored->Key, "PART_ZONES");
    EXPECT_EQ(response.Stored->Value, "0=0,0,0,1");
    response = logic.Respond("Volume = 150 ");
    ASSERT_TRUE(response.Stored);
    EXPECT_EQ(response.Stored->Key, "Volume");
    EXPECT_EQ(response.Stored->Value, "150");
    EXPECT_EQ(logic.Respond("VOLUME?").Lines, Lines{"VOLUME=150"});
}

TEST(PanelLogicTest, FtdefRestoresFactorySettings) {
    PanelLogic logic(PanelOptions{});
    logic.Respond("ARM_ALLOWED=2");
    logic.Respond("ftdef");
    EXPECT_EQ(logic.Respond("ARM_ALLOWED?").Lines, Lines{"UNKNOWN_COMMAND"});
}

TEST(PanelLogicTest, RefusedAndLoginCommandsStoreNothing) {
    PanelOptions options;
    options.ValueErrorKeywords = {"VOLUME"};
    options.SilentKeywords = {"TIME"};
    PanelLogic logic(options);
    EXPECT_FALSE(logic.Respond("VOLUME=150").Stored);
    EXPECT_FALSE(logic.Respond("TIME=1796618100").Stored);
    EXPECT_FALSE(logic.Respond("AUTH=7653").Stored);
}

TEST(PanelLogicTest, RestartLeavesTheBootloaderAndMayChangeTheFirmware) {
    PanelOptions options;
    options.StartInBootloader = true;
    options.VersionAfterRestart = "5.2.11.0";
    PanelLogic logic(options);
    logic.Restarted();
    EXPECT_EQ(logic.Respond("VERSION?").Lines, Lines{"Main ver=5.2.11.0"});
}

}  // namespace
}  // namespace zorv::emu
