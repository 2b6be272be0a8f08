// Panels that answer wrongly: garbage, floods, echoes in another letter case,
// a value error to everything, no answer at all, a bootloader that never
// restarts and a restart into another firmware.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FaultFixture.h"
#include "RowName.h"
#include "dialogue/CommandsList.h"
#include "foundation/Resources.h"
#include "serial/ComPortUS.h"

namespace zorv::test {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> DemoScript(int32_t objectNumber) {
    TCommandsList list(BuiltInResources());
    list.InitStartCmd();
    list.InitAccount(static_cast<uint32_t>(objectNumber));
    std::vector<std::string> commands;
    std::string command, reply;
    while (list.GetNextCommand(command, reply)) commands.push_back(command);
    return commands;
}

// The lines the panel read, without the empty lines that open each connection.
std::vector<std::string> Commands(const emu::PanelEmulator& panel) {
    std::vector<std::string> lines = panel.Record().ReceivedTexts();
    lines.erase(std::remove(lines.begin(), lines.end(), std::string()), lines.end());
    return lines;
}

std::vector<std::string> Identification() { return {"VERSION?", "AUTH=7653", "KVELT_SN?"}; }

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A fault in force from the moment the panel is plugged in: the panel is never
// identified, and the program asks once and then waits, without spinning.
struct FromPlugCase {
    const char* Name;
    void (*Configure)(emu::PanelOptions&);
};

void PrintTo(const FromPlugCase& c, std::ostream* os) { *os << c.Name; }

class FaultFromPlugTest : public FaultTest, public ::testing::WithParamInterface<FromPlugCase> {};

TEST_P(FaultFromPlugTest, ThePanelIsNotIdentifiedAndTheProgramWaits) {
    emu::PanelOptions options = PanelOptions();
    GetParam().Configure(options);
    emu::PanelEmulator& panel = PlugIn(options);
    ASSERT_TRUE(WaitReceived(panel, 2)) << Describe(panel);
    PumpFor(300ms);
    Loop.Advance(10 * 60000);
    EXPECT_TRUE(BackToIdle());
    ExpectShows(psWaitConnect);
    EXPECT_FALSE(Form.FMainFirmware);
    EXPECT_EQ(Commands(panel), std::vector<std::string>{"VERSION?"}) << Describe(panel);
    EXPECT_LE(Form.FLineBuffer.size(), 65536u);
    EXPECT_EQ(ErrorLog(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultFromPlugTest,
    ::testing::Values(FromPlugCase{"NeverAnswers", [](emu::PanelOptions& o) { o.Fault = emu::PanelFault::Mute; }},
                      FromPlugCase{"Garbage",
                                   [](emu::PanelOptions& o) {
                                       o.Fault = emu::PanelFault::Garbage;
                                       o.GarbageBytes = 100000;
                                   }},
                      FromPlugCase{"FloodOfAMegabyteWithoutLineEnd",
                                   [](emu::PanelOptions& o) { o.Fault = emu::PanelFault::Flood; }},
                      FromPlugCase{"FloodOfLineEnds",
                                   [](emu::PanelOptions& o) {
                                       o.Fault = emu::PanelFault::Flood;
                                       o.FloodPattern = "\r";
                                   }},
                      FromPlugCase{"ValueErrorToEverything",
                                   [](emu::PanelOptions& o) { o.Fault = emu::PanelFault::ValueError; }}),
    RowName());

// A fault that starts when the demonstration write starts: the script goes on,
// on the panel's answers where they count as answers and on the watchdog
// elsewhere; the program ends it with "reset" and keeps the write pending.
struct DuringWriteCase {
    const char* Name;
    emu::PanelFault Fault;
    const char* FloodPattern;
};

void PrintTo(const DuringWriteCase& c, std::ostream* os) { *os << c.Name; }

class FaultDuringWriteTest : public FaultTest, public ::testing::WithParamInterface<DuringWriteCase> {};

TEST_P(FaultDuringWriteTest, TheWholeScriptGoesOutAndTheWriteStaysPending) {
    emu::PanelOptions options = PanelOptions();
    options.FloodPattern = GetParam().FloodPattern;
    options.FloodBytes = 70000;  // more than the ring and the longest line
    emu::PanelEmulator& panel = Connected(options);
    panel.SetFault(GetParam().Fault);
    ASSERT_TRUE(panel.Record().WaitForFault(GetParam().Fault, 2000ms));
    Form.OnStartDemoButtonClick();
    const auto script = DemoScript(3456);
    // After "reset" the panel (which carries nothing out) is found again by the port check.
    ASSERT_TRUE(PumpWithWatchdog(panel, [&] { return Commands(panel).size() >= 3 + script.size() + 1; }, 60s))
        << Describe(panel);
    PumpFor(200ms);
    EXPECT_TRUE(BackToIdle());
    ExpectShows(psLoadDemo);
    EXPECT_TRUE(Form.FLoadDemoPending);
    EXPECT_EQ(Commands(panel), Joined(Joined(Identification(), script), {"VERSION?"})) << Describe(panel);
    EXPECT_LE(Form.FLineBuffer.size(), 65536u);
    EXPECT_EQ(ErrorLog(), "");
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultDuringWriteTest,
                         ::testing::Values(DuringWriteCase{"Garbage", emu::PanelFault::Garbage, "x"},
                                           DuringWriteCase{"Flood", emu::PanelFault::Flood, "x"},
                                           DuringWriteCase{"FloodOfLineEnds", emu::PanelFault::Flood, "\r"},
                                           DuringWriteCase{"ValueError", emu::PanelFault::ValueError, "x"}),
                         RowName());

TEST_F(FaultTest, APanelThatNeverAnswersTheScriptGetsOneCommandPerWatchdogPeriod) {
    emu::PanelEmulator& panel = Connected(PanelOptions());
    panel.SetFault(emu::PanelFault::Mute);
    ASSERT_TRUE(panel.Record().WaitForFault(emu::PanelFault::Mute, 2000ms));
    const auto script = DemoScript(3456);
    const uint64_t start = Loop.ElapsedMs();
    Form.OnStartDemoButtonClick();
    for (std::size_t sent = 1; sent < script.size(); ++sent) {
        ASSERT_TRUE(WaitReceived(panel, 4 + sent)) << Describe(panel);
        EXPECT_EQ(Commands(panel).size(), 3 + sent) << "nothing goes out before the watchdog";
        Loop.Advance(60000);
    }
    // "reset" drops the port; the port check finds the panel (still there, not restarted) again.
    ASSERT_TRUE(PumpWithWatchdog(panel, [&] { return Commands(panel).size() >= 3 + script.size() + 1; }, 5s))
        << Describe(panel);
    EXPECT_GE(Loop.ElapsedMs() - start, 51u * 60000);
    EXPECT_EQ(Commands(panel), Joined(Joined(Identification(), script), {"VERSION?"}));
    EXPECT_TRUE(BackToIdle());
    ExpectShows(psLoadDemo);
    ExpectOnlyRuleCommands(panel);
}

TEST_F(FaultTest, EchoesInAnotherLetterCaseAreNotTakenForAnswers) {
    emu::PanelOptions options = PanelOptions();
    options.EchoChangedCase = true;
    emu::PanelEmulator& panel = Connected(options);
    Form.OnStartDemoButtonClick();
    ASSERT_TRUE(WaitForState(psDemoLoaded)) << Describe(panel);
    EXPECT_TRUE(BackToIdle());
    ExpectShows(psDemoLoaded);
    ASSERT_TRUE(Pump([&] { return Commands(panel).size() >= 3 + 52 + 4; })) << Describe(panel);
    const auto commands = Commands(panel);
    EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + 3 + 52),
              Joined(Identification(), DemoScript(3456)));
    // Each script command went out only after the panel's answer to the one before, not after its echo.
    const auto script = DemoScript(3456);
    std::size_t next = 0;
    bool answered = false;
    for (const auto& entry : panel.Record().Entries()) {
        if (next < script.size() && entry.Kind == emu::EntryKind::Received && entry.Text == script[next]) {
            EXPECT_TRUE(next == 0 || answered) << "sent before the answer to the command before: " << entry.Text;
            ++next;
            answered = false;
        } else if (entry.Kind == emu::EntryKind::Sent && entry.Text == "OK") {
            answered = true;
        }
    }
    EXPECT_EQ(next, script.size());
    ExpectOnlyRuleCommands(panel);
}

TEST_F(FaultTest, ABootloaderThatNeverRestartsLeavesTheProgramWaitingQuietly) {
    emu::PanelOptions options = PanelOptions();
    options.StartInBootloader = true;
    options.BootloaderStuck = true;
    emu::PanelEmulator& panel = PlugIn(options);
    ASSERT_TRUE(Pump([&] { return Commands(panel).size() >= 2; })) << Describe(panel);
    ASSERT_TRUE(Pump([&] { return !Form.FComPort->Active(); }));
    Loop.Advance(10 * 60000);
    PumpFor(200ms);
    EXPECT_TRUE(BackToIdle());
    ExpectShows(psWaitConnect);
    EXPECT_EQ(Commands(panel), (std::vector<std::string>{"VERSION?", "START_MAIN"}));
    EXPECT_EQ(panel.Record().PlugCount(), 1);
    EXPECT_EQ(ErrorLog(), "");
}

// The panel restarts into another firmware: after "START_MAIN" the new firmware is
// identified as any other; after the demonstration write the completion goes ahead
// (it does not look at the version again).
struct FirmwareCase {
    const char* Name;
    bool Bootloader;
    const char* VersionAfterRestart;
    TProgramState State;
};

void PrintTo(const FirmwareCase& c, std::ostream* os) { *os << c.Name; }

class RestartFirmwareTest : public FaultTest, public ::testing::WithParamInterface<FirmwareCase> {};

TEST_P(RestartFirmwareTest, TheRestartedPanelIsHandledByTheRules) {
    emu::PanelOptions options = PanelOptions();
    options.StartInBootloader = GetParam().Bootloader;
    options.VersionAfterRestart = GetParam().VersionAfterRestart;
    emu::PanelEmulator& panel = PlugIn(options);
    if (!GetParam().Bootloader) {
        ASSERT_TRUE(WaitForState(psConnected)) << Describe(panel);
        Form.OnStartDemoButtonClick();
    }
    ASSERT_TRUE(Pump([&] {
        return Form.FState == GetParam().State && Form.FFirmwareVersion == GetParam().VersionAfterRestart;
    })) << Describe(panel);
    EXPECT_EQ(panel.Record().PlugCount(), 2);
    PumpFor(200ms);
    EXPECT_TRUE(BackToIdle());
    ExpectShows(GetParam().State);
    EXPECT_EQ(Form.FFirmwareVersion, GetParam().VersionAfterRestart);
    ExpectOnlyRuleCommands(panel);
}

INSTANTIATE_TEST_SUITE_P(Versions, RestartFirmwareTest,
                         ::testing::Values(FirmwareCase{"BootloaderToNewerBuild", true, "5.2.10.7", psConnected},
                                           FirmwareCase{"BootloaderToOldBuild", true, "5.1.1.1", psWrongVersion},
                                           FirmwareCase{"BootloaderToOtherFamily", true, "7.0.1.1", psWaitConnect},
                                           FirmwareCase{"DemoWriteToNewerBuild", false, "5.2.10.7", psDemoLoaded},
                                           FirmwareCase{"DemoWriteToOtherFamily", false, "7.0.1.1", psDemoLoaded}),
                         RowName());

}  // namespace
}  // namespace zorv::test
