#include "CommandLine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zorv::emu {
namespace {

using Args = std::vector<std::string>;

struct GoodCase {
    const char* Name;
    Args Arguments;
    std::function<void(const PanelOptions&)> Check;
};

class GoodCommandLineTest : public ::testing::TestWithParam<GoodCase> {};

TEST_P(GoodCommandLineTest, SetsTheOption) {
    const CommandLine result = ParseCommandLine(GetParam().Arguments);
    ASSERT_EQ(result.Error, "");
    EXPECT_FALSE(result.Help);
    EXPECT_EQ(result.Options.DeviceRoot, "/tmp/r");
    GetParam().Check(result.Options);
}

INSTANTIATE_TEST_SUITE_P(
    Options, GoodCommandLineTest,
    ::testing::Values(
        GoodCase{"Defaults", {"--root", "/tmp/r"},
                 [](const PanelOptions& o) {
                     EXPECT_EQ(o.FirmwareVersion, "5.1.10.6");
                     EXPECT_EQ(o.Password, std::optional<std::string>("7653"));
                     EXPECT_FALSE(o.StartInBootloader);
                     EXPECT_EQ(o.Usb.TtyName, "ttyACM0");
                 }},
        GoodCase{"InlineValue", {"--root=/tmp/r", "--firmware=5.2.10.7"},
                 [](const PanelOptions& o) { EXPECT_EQ(o.FirmwareVersion, "5.2.10.7"); }},
        GoodCase{"ValueWithEquals", {"--root", "/tmp/r", "--serial=a=b"},
                 [](const PanelOptions& o) { EXPECT_EQ(o.SerialNumber, "a=b"); }},
        GoodCase{"Flags", {"--bootloader", "--echo", "--root", "/tmp/r"},
                 [](const PanelOptions& o) {
                     EXPECT_TRUE(o.StartInBootloader);
                     EXPECT_TRUE(o.Echo);
                 }},
        GoodCase{"NoPassword", {"--root", "/tmp/r", "--password", "none"},
                 [](const PanelOptions& o) { EXPECT_FALSE(o.Password); }},
        GoodCase{"DefaultPassword", {"--root", "/tmp/r", "--password", "default"},
                 [](const PanelOptions& o) { EXPECT_EQ(o.Password, std::optional<std::string>("7653")); }},
        GoodCase{"OtherPassword", {"--root", "/tmp/r", "--password", "1234"},
                 [](const PanelOptions& o) { EXPECT_EQ(o.Password, std::optional<std::string>("1234")); }},
        GoodCase{"SerialNotSet", {"--root", "/tmp/r", "--serial", "NOT SET"},
                 [](const PanelOptions& o) { EXPECT_EQ(o.SerialNumber, "NOT SET"); }},
        GoodCase{"Split", {"--root", "/tmp/r", "--split", "3", "--split-gap", "15"},
                 [](const PanelOptions& o) {
                     EXPECT_EQ(o.ReplyChunkSize, 3u);
                     EXPECT_EQ(o.ChunkGap.count(), 15);
                 }},
        GoodCase{"RepeatedKeywords", {"--root", "/tmp/r", "--silent", "VOLUME", "--silent", "ftdef", "--value-error", "ADDR"},
                 [](const PanelOptions& o) {
                     EXPECT_EQ(o.SilentKeywords, (std::set<std::string>{"VOLUME", "ftdef"}));
                     EXPECT_EQ(o.ValueErrorKeywords, std::set<std::string>{"ADDR"});
                 }},
        GoodCase{"Restart", {"--root", "/tmp/r", "--restart-delay", "0", "--firmware-after-restart", "5.1.11.0"},
                 [](const PanelOptions& o) {
                     EXPECT_EQ(o.RestartDelay.count(), 0);
                     EXPECT_EQ(o.VersionAfterRestart, std::optional<std::string>("5.1.11.0"));
                 }},
        GoodCase{"ForeignDevice",
                 {"--root", "/tmp/r", "--tty", "ttyUSB0", "--usb-path", "pci0000:00/usb1/1-2", "--vid", "0403",
                  "--pid", "6001", "--usb-serial", "A1", "--product", "Other"},
                 [](const PanelOptions& o) {
                     EXPECT_EQ(o.Usb.TtyName, "ttyUSB0");
                     EXPECT_EQ(o.Usb.UsbPath, "pci0000:00/usb1/1-2");
                     EXPECT_EQ(o.Usb.VendorId, "0403");
                     EXPECT_EQ(o.Usb.ProductId, "6001");
                     EXPECT_EQ(o.Usb.Serial, "A1");
                     EXPECT_EQ(o.Usb.Product, "Other");
                 }}),
    [](const auto& info) { return std::string(info.param.Name); });

struct BadCase {
    const char* Name;
    Args Arguments;
    const char* Error;
};

class BadCommandLineTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLineTest, IsRefusedWithAReason) {
    EXPECT_EQ(ParseCommandLine(GetParam().Arguments).Error, GetParam().Error);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, BadCommandLineTest,
    ::testing::Values(
        BadCase{"NoArguments", {}, "--root DIR or a Wine port is required"},
        BadCase{"RootWithoutValue", {"--root"}, "missing value for --root"},
        BadCase{"EmptyRoot", {"--root="}, "bad value for --root: "},
        BadCase{"Unknown", {"--root", "/r", "--colour"}, "unknown option: --colour"},
        BadCase{"PositionalArgument", {"/r"}, "unknown option: /r"},
        BadCase{"FlagWithValue", {"--root", "/r", "--echo=1"}, "unknown option: --echo=1"},
        BadCase{"NegativeSplit", {"--root", "/r", "--split", "-1"}, "bad value for --split: -1"},
        BadCase{"SplitWithText", {"--root", "/r", "--split", "3x"}, "bad value for --split: 3x"},
        BadCase{"HugeDelay", {"--root", "/r", "--restart-delay", "99999999999999999999999"},
                "bad value for --restart-delay: 99999999999999999999999"},
        BadCase{"EmptyKeyword", {"--root", "/r", "--silent", ""}, "bad value for --silent: "},
        BadCase{"ReplayWithoutLog", {"--root", "/r", "--replay"}, "bad value for --replay: "},
        BadCase{"UnknownTiming", {"--root", "/r", "--timing", "slow"}, "bad value for --timing: slow"},
        BadCase{"WinePortWithoutTool", {"--wine-link", "/p/com9"}, "a Wine port needs --wine-link PATH and --wine-device EXE"},
        BadCase{"WinePortWithoutLink", {"--root", "/r", "--wine-device", "d.exe"},
                "a Wine port needs --wine-link PATH and --wine-device EXE"},
        BadCase{"WinePortZero", {"--wine-port", "0"}, "bad value for --wine-port: 0"},
        BadCase{"WinePortPastTheLast", {"--wine-port", "257"}, "bad value for --wine-port: 257"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(CommandLineTest, ReplayTakesTheLogItsTimingAndStrictness) {
    const CommandLine result = ParseCommandLine({"--replay", "user.log", "--root", "/r", "--timing=log", "--strict"});
    ASSERT_EQ(result.Error, "");
    EXPECT_EQ(result.ReplayFile, "user.log");
    EXPECT_TRUE(result.LogTiming);
    EXPECT_TRUE(result.Strict);
    EXPECT_FALSE(ParseCommandLine({"--root", "/r", "--replay", "user.log"}).LogTiming);
}

TEST(CommandLineTest, AWinePortTakesTheRootsPlace) {
    const CommandLine result =
        ParseCommandLine({"--wine-link", "/p/com10", "--wine-device=d.exe", "--wine-port", "10", "--wine-run", "run.sh"});
    ASSERT_EQ(result.Error, "");
    ASSERT_TRUE(result.Options.Wine);
    EXPECT_EQ(result.Options.Wine->PortNumber, 10);
    EXPECT_EQ(result.Options.Wine->PortLink, "/p/com10");
    EXPECT_EQ(result.Options.Wine->DeviceTool, (Args{"run.sh", "d.exe"}));
    const CommandLine byDefault = ParseCommandLine({"--wine-device", "d.exe", "--wine-link", "/p/com9"});
    ASSERT_TRUE(byDefault.Options.Wine);
    EXPECT_EQ(byDefault.Options.Wine->PortNumber, 9);
    EXPECT_EQ(byDefault.Options.Wine->DeviceTool, (Args{"wine", "d.exe"}));
    EXPECT_FALSE(ParseCommandLine({"--root", "/r"}).Options.Wine);
}

TEST(CommandLineTest, HelpStopsParsing) {
    const CommandLine result = ParseCommandLine({"--help", "--bogus"});
    EXPECT_TRUE(result.Help);
    EXPECT_EQ(result.Error, "");
    EXPECT_NE(UsageText().find("--root DIR"), std::string::npos);
}

}  // namespace
}  // namespace zorv::emu
