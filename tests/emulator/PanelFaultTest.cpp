// The fault modes of the emulated panel: what a broken panel, cable or computer
// puts on the port, and that the panel comes back to normal when the fault ends.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "PanelEmulator.h"
#include "PanelLogic.h"
#include "PluggedPanelTest.h"
#include "PortClient.h"

namespace zorv::emu {
namespace {

using namespace std::chrono_literals;
using test::PortClient;

// The bytes that arrive on the port until it stays quiet for the pause (or the limit is reached).
std::string ReadRaw(int fd, std::chrono::milliseconds pause, std::size_t limit = 4u << 20) {
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < limit) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(pause.count())) <= 0 || !(p.revents & POLLIN)) break;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

// Whether the port takes the bytes within the timeout (a panel that reads makes room).
bool Writable(int fd, std::chrono::milliseconds timeout) {
    pollfd p{fd, POLLOUT, 0};
    return ::poll(&p, 1, static_cast<int>(timeout.count())) == 1 && (p.revents & POLLOUT);
}

TEST(SwapCaseTest, LeavesAllButAsciiLettersAlone) {
    EXPECT_EQ(SwapCase("aZ09=?\xc0\xe0"), "Az09=?\xc0\xe0");
}

using PanelFaultTest = test::PluggedPanelTest;

TEST_F(PanelFaultTest, ValueErrorAnswersEveryCommandAndCarriesNoneOut) {
    PanelOptions options = Options();
    options.Fault = PanelFault::ValueError;
    options.StartInBootloader = true;
    PanelEmulator panel(options);
    panel.Plug();
    PortClient port(panel.DevPath());
    for (const char* command : {"VERSION?", "START_MAIN", "AUTH=7653", "reset"}) {
        port.Send(command);
        EXPECT_EQ(port.ReadLine(), "Value error") << command;
    }
    port.Send("");
    EXPECT_EQ(port.ReadLine(100ms), std::nullopt) << "an empty line is no command";
    EXPECT_EQ(panel.Record().PlugCount(), 1);
    EXPECT_TRUE(panel.Record().Settings().empty());
}

TEST_F(PanelFaultTest, MuteAnswersNothingAndDoesNotRestart) {
    PanelOptions options = Options();
    options.Fault = PanelFault::Mute;
    PanelEmulator panel(options);
    panel.Plug();
    PortClient port(panel.DevPath());
    for (const char* command : {"VERSION?", "AUTH=7653", "KVELT_SN?", "reset"}) port.Send(command);
    ASSERT_TRUE(panel.Record().WaitForReceived(4, 2000ms));
    EXPECT_EQ(ReadRaw(port.Fd(), 100ms), "");
    EXPECT_EQ(panel.Record().PlugCount(), 1);
    EXPECT_EQ(panel.Record().ReceivedTexts(), (std::vector<std::string>{"VERSION?", "AUTH=7653", "KVELT_SN?", "reset"}));
}

TEST_F(PanelFaultTest, GarbageIsRandomBinaryRepeatableBySeed) {
    PanelOptions options = Options();
    options.Fault = PanelFault::Garbage;
    options.GarbageBytes = 4096;
    std::string answers[2];
    for (auto& answer : answers) {
        PanelEmulator panel(options);
        panel.Plug();
        PortClient port(panel.DevPath());
        port.Send("VERSION?");
        answer = ReadRaw(port.Fd(), 5s, 4096);
    }
    ASSERT_EQ(answers[0].size(), 4096u);
    EXPECT_EQ(answers[0], answers[1]);
    EXPECT_EQ(answers[0].find("Main"), std::string::npos);
    // Binary: line ends and bytes above 127 among them.
    EXPECT_NE(answers[0].find('\r'), std::string::npos);
    EXPECT_NE(answers[0].find('\xff'), std::string::npos);
}

// A flood answers a command with its pattern over and over, cut at the size, and no line end of its own.
struct FloodCase {
    const char* Name;
    std::string Pattern;
    std::size_t Bytes;
    std::string Command;
    std::string Head;  // the flood's first bytes
    char Last;
};

class FloodTest : public test::PluggedPanelTest, public ::testing::WithParamInterface<FloodCase> {};

TEST_P(FloodTest, RepeatsItsPatternUpToItsSize) {
    PanelOptions options = Options();
    options.Fault = PanelFault::Flood;
    options.FloodBytes = GetParam().Bytes;
    options.FloodPattern = GetParam().Pattern;
    PanelEmulator panel(options);
    panel.Plug();
    PortClient port(panel.DevPath());
    port.Send(GetParam().Command);
    const std::string bytes = ReadRaw(port.Fd(), 5s, GetParam().Bytes);
    ASSERT_EQ(bytes.size(), GetParam().Bytes);
    EXPECT_EQ(bytes.substr(0, GetParam().Head.size()), GetParam().Head);
    EXPECT_EQ(bytes.back(), GetParam().Last);
    EXPECT_EQ(bytes.find_first_not_of(GetParam().Pattern), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Patterns, FloodTest,
                         ::testing::Values(FloodCase{"TwoBytesCutInTheMiddle", "AB", 300001, "VERSION?", "ABAB", 'A'},
                                           FloodCase{"LineEndsOnly", "\r", 10000, "KVELT_SN?", "\r\r", '\r'}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(PanelFaultTest, AFaultSetWhilePluggedInReplacesTheAnswersUntilItEnds) {
    PanelEmulator panel(Options());
    panel.Plug();
    PortClient port(panel.DevPath());
    port.Send("VERSION?");
    EXPECT_EQ(port.ReadLine(), "Main ver=5.1.10.6");
    panel.SetFault(PanelFault::ValueError);
    ASSERT_TRUE(panel.Record().WaitForFault(PanelFault::ValueError, 2000ms));
    port.Send("KVELT_SN?");
    EXPECT_EQ(port.ReadLine(), "Value error");
    panel.SetFault(PanelFault::None);
    ASSERT_TRUE(panel.Record().WaitForFault(PanelFault::None, 2000ms));
    port.Send("KVELT_SN?");
    EXPECT_EQ(port.ReadLine(), "KVELT_SN=123456");
}

TEST_F(PanelFaultTest, APanelThatStopsReadingStallsTheWritesUntilItReadsAgain) {
    PanelEmulator panel(Options());
    panel.Plug();
    PortClient port(panel.DevPath());
    panel.SetFault(PanelFault::NotReading);
    ASSERT_TRUE(panel.Record().WaitForFault(PanelFault::NotReading, 2000ms));
    // Room the kernel hands back while the panel's input settles takes a few bytes, never a block of commands.
    std::string commands;
    while (commands.size() < 65536) commands += "VERSION?\r\n";
    EXPECT_LT(::write(port.Fd(), commands.data(), commands.size()), 8192) << "the port still takes bytes";
    EXPECT_TRUE(panel.Record().ReceivedTexts().empty());

    panel.SetFault(PanelFault::None);
    ASSERT_TRUE(panel.Record().WaitForFault(PanelFault::None, 2000ms));
    EXPECT_TRUE(Writable(port.Fd(), 2000ms));
    port.Send("VERSION?");
    EXPECT_EQ(port.ReadLine(), "Main ver=5.1.10.6");
    // The filler it never read is gone with the fault, not taken for commands.
    EXPECT_EQ(panel.Record().ReceivedTexts(), (std::vector<std::string>{"VERSION?"}));
}

TEST_F(PanelFaultTest, APanelThatDoesNotReadStillUnplugsAtOnce) {
    PanelOptions options = Options();
    options.Fault = PanelFault::NotReading;
    PanelEmulator panel(options);
    panel.Plug();
    ASSERT_TRUE(panel.Record().WaitForFault(PanelFault::NotReading, 2000ms));
    panel.Unplug();
    EXPECT_FALSE(panel.Plugged());
}

TEST_F(PanelFaultTest, AStuckBootloaderStaysPluggedInAndKeepsAnswering) {
    PanelOptions options = Options();
    options.StartInBootloader = true;
    options.BootloaderStuck = true;
    PanelEmulator panel(options);
    panel.Plug();
    PortClient port(panel.DevPath());
    port.Send("START_MAIN");
    EXPECT_FALSE(port.WaitHangUp(200ms));
    port.Send("VERSION?");
    EXPECT_EQ(port.ReadLine(), "Bootloader");
    EXPECT_EQ(panel.Record().PlugCount(), 1);
}

}  // namespace
}  // namespace zorv::emu
