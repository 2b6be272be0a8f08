#include "PanelEmulator.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "PluggedPanelTest.h"
#include "PortClient.h"

namespace zorv::emu {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::PortClient;

const char* const kUsbFolder = "sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/";

class PanelEmulatorTest : public test::PluggedPanelTest {
protected:
    bool DevLinkExists() const { return fs::exists(fs::symlink_status(FRoot.File("dev/ttyACM0"))); }
    bool SysfsExists() const {
        return fs::exists(FRoot.File(kUsbFolder)) && fs::exists(fs::symlink_status(FRoot.File("sys/class/tty/ttyACM0")));
    }
    // Waits for something the serving thread does after a reply it sends (the transcript is written first).
    static bool Eventually(const std::function<bool()>& condition) {
        for (int i = 0; i < 500; ++i) {
            if (condition()) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    static bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
};

// One exchange over the pseudo-terminal: the commands sent and the lines that come back.
struct ExchangeCase {
    const char* Name;
    std::function<void(PanelOptions&)> Configure;
    std::vector<std::string> Commands;
    std::vector<std::string> Replies;
};

class PanelExchangeTest : public PanelEmulatorTest, public ::testing::WithParamInterface<ExchangeCase> {};

TEST_P(PanelExchangeTest, RepliesOverThePort) {
    PanelOptions options = Options();
    GetParam().Configure(options);
    PanelEmulator panel(options);
    panel.Plug();
    PortClient port(panel.DevPath());
    for (const auto& command : GetParam().Commands) port.Send(command);
    for (const auto& expected : GetParam().Replies) EXPECT_EQ(port.ReadLine(), expected);
    EXPECT_EQ(port.ReadLine(50ms), std::nullopt) << "no further line";
}

void Plain(PanelOptions&) {}

INSTANTIATE_TEST_SUITE_P(
    Protocol, PanelExchangeTest,
    ::testing::Values(
        ExchangeCase{"MainVersion", Plain, {"", "VERSION?"}, {"Main ver=5.1.10.6"}},
        ExchangeCase{"BootloaderVersion", [](PanelOptions& o) { o.StartInBootloader = true; }, {"", "VERSION?"},
                     {"Bootloader"}},
        ExchangeCase{"Identification", Plain, {"VERSION?", "AUTH=7653", "KVELT_SN?"},
                     {"Main ver=5.1.10.6", "OK", "KVELT_SN=123456"}},
        ExchangeCase{"NoLogin", [](PanelOptions& o) { o.Password.reset(); }, {"AUTH=7653"}, {"UNKNOWN_COMMAND"}},
        ExchangeCase{"ChangedPassword", [](PanelOptions& o) { o.Password = "1111"; }, {"AUTH=7653"},
                     {"Error: wrong password"}},
        ExchangeCase{"SerialNotSet", [](PanelOptions& o) { o.SerialNumber = "NOT SET"; }, {"KVELT_SN?"},
                     {"KVELT_SN=NOT SET"}},
        ExchangeCase{"Echo", [](PanelOptions& o) { o.Echo = true; }, {"VERSION?", "ARM_ALLOWED=2"},
                     {"VERSION?", "Main ver=5.1.10.6", "ARM_ALLOWED=2", "OK"}},
        ExchangeCase{"SilenceThenNextAnswer", [](PanelOptions& o) { o.SilentKeywords = {"REFRESH_PART_STATE"}; },
                     {"REFRESH_PART_STATE", "KVELT_SN?"}, {"KVELT_SN=123456"}},
        ExchangeCase{"ValueError", [](PanelOptions& o) { o.ValueErrorKeywords = {"VOLUME"}; },
                     {"VOLUME=150", "SIREN_ON_TIME=60"}, {"Value error", "OK"}},
        ExchangeCase{"DemoCompletion", Plain, {"ARM_IGNORE_TAMPER=1", "TIME=1796618100", "ARM_ALLOWED=3"},
                     {"OK", "OK", "OK"}},
        ExchangeCase{"BadBytesThenVersion", Plain, {std::string("\x1b[2J\x00\xff?", 7), "VERSION?"},
                     {"UNKNOWN_COMMAND", "Main ver=5.1.10.6"}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(PanelEmulatorTest, SplitRepliesArriveInPiecesAndJoinIntoOneLine) {
    PanelOptions options = Options();
    options.ReplyChunkSize = 4;
    options.ChunkGap = 40ms;
    PanelEmulator panel(options);
    panel.Plug();
    PortClient port(panel.DevPath());
    port.Send("VERSION?");
    EXPECT_EQ(port.ReadLine(), "Main ver=5.1.10.6");
    EXPECT_GE(port.ReadsOfLastLine(), 2);
}

TEST_F(PanelEmulatorTest, PlugCreatesSysfsBeforeTheDevLink) {
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    fs::create_directories(FRoot.File("dev"));
    ASSERT_GE(::inotify_add_watch(watch, FRoot.File("dev").c_str(), IN_CREATE), 0);
    PanelEmulator panel(Options());
    panel.Plug();
    pollfd fd{watch, POLLIN, 0};
    ASSERT_EQ(::poll(&fd, 1, 2000), 1);
    EXPECT_TRUE(SysfsExists());
    EXPECT_EQ(fs::read_symlink(panel.DevPath()), panel.Record().SlavePath());
    ::close(watch);
}

TEST_F(PanelEmulatorTest, StartMainReplugsOnANewTerminalWithMainFirmware) {
    PanelOptions options = Options();
    options.StartInBootloader = true;
    options.VersionAfterRestart = "5.2.10.7";
    PanelEmulator panel(options);
    panel.Plug();
    // The restart may plug the files in again before the test looks: their removals are watched instead.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, FRoot.File("dev").c_str(), IN_DELETE), 0);
    ASSERT_GE(::inotify_add_watch(watch, FRoot.File("sys/class/tty").c_str(), IN_DELETE), 0);
    ASSERT_GE(::inotify_add_watch(watch, fs::path(FRoot.File(kUsbFolder)).parent_path().parent_path().c_str(), IN_DELETE), 0);
    {
        PortClient port(panel.DevPath());
        port.Send("VERSION?");
        EXPECT_EQ(port.ReadLine(), "Bootloader");
        port.Send("START_MAIN");
        EXPECT_TRUE(port.WaitHangUp());
        // The files went before the hang-up: all three removals are queued by the time it is seen.
        alignas(inotify_event) char events[4096];
        const ssize_t length = ::read(watch, events, sizeof events);
        int removals = 0;
        for (ssize_t at = 0; at < length; ++removals)
            at += static_cast<ssize_t>(sizeof(inotify_event) + reinterpret_cast<const inotify_event*>(events + at)->len);
        EXPECT_EQ(removals, 3);
        ::close(watch);
    }
    ASSERT_TRUE(panel.Record().WaitForPlugCount(2, 2000ms));
    EXPECT_TRUE(SysfsExists());
    EXPECT_EQ(fs::read_symlink(panel.DevPath()), panel.Record().SlavePath());
    EXPECT_EQ(test::ReadFileBytes(FRoot.File("sys/class/tty/ttyACM0/device/../idProduct")), "2331\n");

    PortClient port(panel.DevPath());
    port.Send("VERSION?");
    EXPECT_EQ(port.ReadLine(), "Main ver=5.2.10.7");
}

TEST_F(PanelEmulatorTest, ResetRestartsThePanel) {
    PanelEmulator panel(Options());
    panel.Plug();
    {
        PortClient port(panel.DevPath());
        port.Send("AUTH=7653");
        EXPECT_EQ(port.ReadLine(), "OK");
        port.Send("reset");
        EXPECT_TRUE(port.WaitHangUp());
    }
    ASSERT_TRUE(panel.Record().WaitForPlugCount(2, 2000ms));
    PortClient port(panel.DevPath());
    port.Send("VERSION?");
    EXPECT_EQ(port.ReadLine(), "Main ver=5.1.10.6");
    const std::string transcript = panel.Record().Transcript();
    EXPECT_TRUE(Contains(transcript, "OUT: OK\n")) << transcript;
    EXPECT_TRUE(panel.Record().WaitForEvent(PanelEvent::Restarting, 0ms)) << transcript;
}

TEST_F(PanelEmulatorTest, UnplugHangsUpTheOpenPortAfterRemovingTheFiles) {
    PanelEmulator panel(Options());
    panel.Plug();
    PortClient port(panel.DevPath());
    panel.Unplug();
    EXPECT_FALSE(panel.Plugged());
    pollfd fd{port.Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&fd, 1, 2000), 1);
    EXPECT_TRUE(fd.revents & POLLHUP);
    char byte;
    EXPECT_LE(::read(port.Fd(), &byte, 1), 0);
    EXPECT_EQ(::write(port.Fd(), "X\r\n", 3), -1);
    EXPECT_FALSE(DevLinkExists());
    EXPECT_FALSE(SysfsExists());
    EXPECT_EQ(panel.Record().SlavePath(), "");
}

TEST_F(PanelEmulatorTest, PlugAndUnplugCanBeRepeated) {
    PanelEmulator panel(Options());
    panel.Plug();
    panel.Plug();
    EXPECT_EQ(panel.Record().PlugCount(), 1);
    panel.Unplug();
    panel.Unplug();
    panel.Plug();
    EXPECT_EQ(panel.Record().PlugCount(), 2);
    PortClient port(panel.DevPath());
    port.Send("KVELT_SN?");
    EXPECT_EQ(port.ReadLine(), "KVELT_SN=123456");
}

TEST_F(PanelEmulatorTest, RepliesLeftUnreadAreGoneAfterThePortCloses) {
    PanelEmulator panel(Options());
    panel.Plug();
    {
        PortClient port(panel.DevPath());
        port.Send("VERSION?");
        ASSERT_TRUE(Eventually([&] { return Contains(panel.Record().Transcript(), "OUT: Main"); }));
    }
    ASSERT_TRUE(panel.Record().WaitForEvent(PanelEvent::PortClosed, 5000ms));
    PortClient port(panel.DevPath());
    port.Send("KVELT_SN?");
    EXPECT_EQ(port.ReadLine(), "KVELT_SN=123456");
}

TEST_F(PanelEmulatorTest, FloodWithoutLineEndStaysBoundedAndThePanelStillAnswers) {
    PanelEmulator panel(Options());
    panel.Plug();
    PortClient port(panel.DevPath());
    port.WriteRaw(std::string(1 << 20, 'x'));
    port.Send("");
    port.Send("VERSION?");
    EXPECT_EQ(port.ReadLine(), "Main ver=5.1.10.6");
    const auto received = panel.Record().Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_TRUE(received[0].Overlong);
    EXPECT_LE(received[0].Text.size(), 64u);
    EXPECT_EQ(received[1].Text, "VERSION?");
}

TEST_F(PanelEmulatorTest, RecordKeepsLinesWithTimesAndSettingsInOrder) {
    PanelEmulator panel(Options());
    panel.Plug();
    PortClient port(panel.DevPath());
    for (const char* command : {"", "VERSION?", "AUTH=7653", "ZONE_ENABLED=0,1", "ZONE_ENABLED=3,1", "TIME=1796618100"}) {
        port.Send(command);
        if (*command) {
            EXPECT_TRUE(port.ReadLine());
        }
    }
    EXPECT_EQ(panel.Record().ReceivedTexts(),
              (std::vector<std::string>{"", "VERSION?", "AUTH=7653", "ZONE_ENABLED=0,1", "ZONE_ENABLED=3,1",
                                        "TIME=1796618100"}));
    const auto received = panel.Record().Received();
    for (std::size_t i = 1; i < received.size(); ++i) EXPECT_LE(received[i - 1].Time, received[i].Time);

    const auto settings = panel.Record().Settings();
    ASSERT_EQ(settings.size(), 3u);
    EXPECT_EQ(settings[0].Key, "ZONE_ENABLED");
    EXPECT_EQ(settings[0].Value, "0,1");
    EXPECT_EQ(settings[1].Value, "3,1");
    EXPECT_EQ(settings[2].Key, "TIME");
    EXPECT_EQ(settings[2].Value, "1796618100");

    const std::string transcript = panel.Record().Transcript();
    EXPECT_TRUE(Contains(transcript, "plugged in on /dev/pts/")) << transcript;
    EXPECT_TRUE(Contains(transcript, "port opened")) << transcript;
    EXPECT_TRUE(Contains(transcript, "IN:  ZONE_ENABLED=3,1\n")) << transcript;
    EXPECT_TRUE(Contains(transcript, "OUT: Main ver=5.1.10.6\n")) << transcript;
}

TEST_F(PanelEmulatorTest, TranscriptEscapesUnprintableBytes) {
    PanelEmulator panel(Options());
    panel.Plug();
    PortClient port(panel.DevPath());
    port.Send(std::string("A\x1b\x00\xc0=1", 6));
    EXPECT_EQ(port.ReadLine(), "OK");
    const std::string transcript = panel.Record().Transcript();
    EXPECT_TRUE(Contains(transcript, "IN:  A\\x1B\\x00\\xC0=1\n")) << transcript;
    for (unsigned char c : transcript) EXPECT_TRUE(c == '\n' || (c >= 32 && c < 127));
}

TEST_F(PanelEmulatorTest, RecordKeepsOnlyTheNewestEntriesBeyondItsLimit) {
    PanelOptions options = Options();
    options.MaxRecordedEntries = 4;
    PanelEmulator panel(options);
    panel.Plug();
    PortClient port(panel.DevPath());
    for (int i = 0; i < 10; ++i) {
        port.Send("VOLUME=" + std::to_string(i));
        EXPECT_EQ(port.ReadLine(), "OK");
    }
    EXPECT_EQ(panel.Record().ReceivedTexts(), (std::vector<std::string>{"VOLUME=6", "VOLUME=7", "VOLUME=8", "VOLUME=9"}));
    EXPECT_EQ(panel.Record().Entries().size(), 4u);
    EXPECT_GT(panel.Record().DroppedEntries(), 0u);
    EXPECT_TRUE(Contains(panel.Record().Transcript(), "earlier entries not kept"));
}

TEST_F(PanelEmulatorTest, RepliesThatAreNeverReadAreDroppedAndThePanelGoesOn) {
    PanelOptions options = Options();
    options.FirmwareVersion = std::string(4000, '5');
    options.WriteTimeout = 30ms;
    PanelEmulator panel(options);
    panel.Plug();
    PortClient port(panel.DevPath());
    for (int i = 0; i < 40; ++i) port.Send("VERSION?");
    ASSERT_TRUE(panel.Record().WaitForReceived(40, 10000ms));
    EXPECT_TRUE(panel.Record().WaitForEvent(PanelEvent::ReplyDropped, 5000ms));
}

TEST_F(PanelEmulatorTest, UnplugDoesNotWaitForAReaderThatNeverComes) {
    PanelOptions options = Options();
    options.FirmwareVersion = std::string(4000, '5');
    options.WriteTimeout = 600000ms;
    PanelEmulator panel(options);
    panel.Plug();
    PortClient port(panel.DevPath());
    for (int i = 0; i < 40; ++i) port.Send("VERSION?");
    ASSERT_TRUE(Eventually([&] { return panel.Record().ReceivedTexts().size() >= 3; }));
    panel.Unplug();
    EXPECT_FALSE(DevLinkExists());
    // The port holds a few of the 4 kB replies, never all 40: the panel was stuck in a write.
    EXPECT_LT(panel.Record().ReceivedTexts().size(), 40u);
}

TEST_F(PanelEmulatorTest, UnplugDuringTheRestartDelayEndsAtOnce) {
    PanelOptions options = Options();
    options.RestartDelay = 600000ms;
    PanelEmulator panel(options);
    panel.Plug();
    PortClient port(panel.DevPath());
    port.Send("reset");
    ASSERT_TRUE(port.WaitHangUp());
    panel.Unplug();
    EXPECT_FALSE(panel.Plugged());
    EXPECT_EQ(panel.Record().PlugCount(), 1);
}

TEST_F(PanelEmulatorTest, PlugUnderAnUnwritableRootFailsAndLeavesNothingRunning) {
    PanelOptions options = Options();
    options.DeviceRoot = "/proc/zorv-no-such-root";
    PanelEmulator panel(options);
    EXPECT_THROW(panel.Plug(), std::exception);
    EXPECT_FALSE(panel.Plugged());
    EXPECT_EQ(panel.Record().PlugCount(), 0);
}

TEST_F(PanelEmulatorTest, OptionsWithoutALineLimitAreRefused) {
    PanelOptions options = Options();
    options.MaxLineLength = 0;
    EXPECT_THROW(PanelEmulator{options}, std::invalid_argument);
}

}  // namespace
}  // namespace zorv::emu
