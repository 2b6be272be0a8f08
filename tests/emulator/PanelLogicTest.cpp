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
        ReplyCase{"EmptyLine", MainPanel, "", {}},
        ReplyCase{"BlanksOnly", MainPanel, " \t ", {}},
        ReplyCase{"MainVersion", MainPanel, "VERSION?", {"Main ver=5.1.10.6"}},
        ReplyCase{"MainVersionLowerCase", MainPanel, "version?", {"Main ver=5.1.10.6"}},
        ReplyCase{"OtherVersion", [](PanelOptions& o) { o.FirmwareVersion = "5.2.9.12"; }, "VERSION?",
                  {"Main ver=5.2.9.12"}},
        ReplyCase{"BootloaderVersion", Bootloader, "VERSION?", {"Bootloader"}},
        ReplyCase{"BootloaderStartMain", Bootloader, "START_MAIN", {}, true},
        ReplyCase{"BootloaderRefusesTheRest", Bootloader, "KVELT_SN?", {"UNKNOWN_COMMAND"}},
        ReplyCase{"BootloaderRefusesReset", Bootloader, "reset", {"UNKNOWN_COMMAND"}},
        ReplyCase{"MainRefusesStartMain", MainPanel, "START_MAIN", {"UNKNOWN_COMMAND"}},
        ReplyCase{"DefaultPassword", MainPanel, "AUTH=7653", {"OK"}},
        ReplyCase{"WrongPassword", MainPanel, "AUTH=1111", {"Error: wrong password"}},
        ReplyCase{"ChangedPassword", [](PanelOptions& o) { o.Password = "4321"; }, "AUTH=7653",
                  {"Error: wrong password"}},
        ReplyCase{"ChangedPasswordAccepted", [](PanelOptions& o) { o.Password = "4321"; }, "AUTH=4321", {"OK"}},
        ReplyCase{"NoLogin", [](PanelOptions& o) { o.Password.reset(); }, "AUTH=7653", {"UNKNOWN_COMMAND"}},
        ReplyCase{"SerialNumber", MainPanel, "KVELT_SN?", {"KVELT_SN=123456"}},
        ReplyCase{"SerialNotSet", [](PanelOptions& o) { o.SerialNumber = "NOT SET"; }, "KVELT_SN?",
                  {"KVELT_SN=NOT SET"}},
        ReplyCase{"Setting", MainPanel, "VOLUME=150", {"OK"}},
        ReplyCase{"PlainCommand", MainPanel, "REFRESH_PART_STATE", {"OK"}},
        ReplyCase{"Reset", MainPanel, "reset", {"OK"}, true},
        ReplyCase{"ResetAnyCase", MainPanel, "Reset", {"OK"}, true},
        ReplyCase{"LongerThanReset", MainPanel, "RESET_ALL", {"OK"}},
        ReplyCase{"QueryOfUnknownSetting", MainPanel, "VOLUME?", {"UNKNOWN_COMMAND"}},
        ReplyCase{"EchoComesFirst", [](PanelOptions& o) { o.Echo = true; }, "KVELT_SN?",
                  {"KVELT_SN?", "KVELT_SN=123456"}},
        ReplyCase{"EchoIsTrimmed", [](PanelOptions& o) { o.Echo = true; }, "  ftdef \t", {"ftdef", "OK"}},
        ReplyCase{"SilentKeywordAnyCase", [](PanelOptions& o) { o.SilentKeywords = {"volume"}; }, "VOLUME=150",
                  {}},
        ReplyCase{"SilentQuery", [](PanelOptions& o) { o.SilentKeywords = {"VERSION"}; }, "VERSION?", {}},
        ReplyCase{"SilentMeansNoEcho",
                  [](PanelOptions& o) {
                      o.Echo = true;
                      o.SilentKeywords = {"FTDEF"};
                  },
                  "ftdef", {}},
        ReplyCase{"SilenceOfOtherKeyword", [](PanelOptions& o) { o.SilentKeywords = {"VOLUME"}; }, "VOLUMES=1",
                  {"OK"}},
        ReplyCase{"ValueError", [](PanelOptions& o) { o.ValueErrorKeywords = {"Part_Zones"}; },
                  "PART_ZONES=0=0,0,0,1", {"Value error"}},
        ReplyCase{"ValueErrorOnReset", [](PanelOptions& o) { o.ValueErrorKeywords = {"RESET"}; }, "reset",
                  {"Value error"}},
        ReplyCase{"ControlBytesInCommand", MainPanel, std::string("\x01\xff=\x7f", 4), {"OK"}},
        ReplyCase{"NoKeyword", MainPanel, "=150", {"UNKNOWN_COMMAND"}},
        ReplyCase{"QueryMarkOnly", MainPanel, "?", {"UNKNOWN_COMMAND"}}),
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
    EXPECT_EQ(logic.Settings().size(), 2u);
}

TEST(PanelLogicTest, FtdefRestoresFactorySettings) {
    PanelLogic logic(PanelOptions{});
    logic.Respond("ARM_ALLOWED=2");
    logic.Respond("ftdef");
    EXPECT_TRUE(logic.Settings().empty());
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
    EXPECT_TRUE(logic.Settings().empty());
}

TEST(PanelLogicTest, LoginLastsUntilRestartOrWrongPassword) {
    PanelLogic logic(PanelOptions{});
    EXPECT_FALSE(logic.LoggedIn());
    logic.Respond("AUTH=7653");
    EXPECT_TRUE(logic.LoggedIn());
    logic.Restarted();
    EXPECT_FALSE(logic.LoggedIn());
    logic.Respond("AUTH=7653");
    logic.Respond("AUTH=0000");
    EXPECT_FALSE(logic.LoggedIn());
}

TEST(PanelLogicTest, RestartLeavesTheBootloaderAndMayChangeTheFirmware) {
    PanelOptions options;
    options.StartInBootloader = true;
    options.VersionAfterRestart = "5.2.11.0";
    PanelLogic logic(options);
    EXPECT_TRUE(logic.Respond("START_MAIN").Restart);
    logic.Restarted();
    EXPECT_FALSE(logic.InBootloader());
    EXPECT_EQ(logic.Respond("VERSION?").Lines, Lines{"Main ver=5.2.11.0"});
}

TEST(PanelLogicTest, RestartWithoutNewFirmwareKeepsTheVersion) {
    PanelLogic logic(PanelOptions{});
    logic.Restarted();
    EXPECT_EQ(logic.FirmwareVersion(), "5.1.10.6");
}

}  // namespace
}  // namespace zorv::emu
