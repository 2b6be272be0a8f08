// The panel unplugged at every stage of its road: the program closes the port,
// keeps or drops the pending write as its rules say, and carries on with the
// panel when it is plugged in again.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "FaultFixture.h"
#include "RowName.h"
#include "serial/ComPortDrv.h"
#include "serial/ComPortUS.h"

namespace zorv::test {
namespace {

using namespace std::chrono_literals;

class UnplugTest;
using Stage = std::function<bool(UnplugTest&, emu::PanelEmulator&)>;

struct UnplugCase {
    const char* Name;
    // Makes the panel stop at the stage (it answers nothing from there on).
    std::function<void(emu::PanelOptions&)> Configure;
    // Drives the program to the stage; true once the panel is there.
    Stage Reach;
    TProgramState StateWhileAway;
    TProgramState StateAfterReplug;
    // A script write lost its connection before its "reset": abandoned, and logged once.
    bool WriteInterrupted = false;
};

void PrintTo(const UnplugCase& c, std::ostream* os) { *os << c.Name; }

class UnplugTest : public FaultTest, public ::testing::WithParamInterface<UnplugCase> {
public:
    using FaultTest::Form;
    using FaultTest::Pump;
    using FaultTest::PumpWithWatchdog;
    using FaultTest::WaitForState;
    using FaultTest::WaitReceived;
    bool Gets(const emu::PanelEmulator& panel, const std::string& line) {
        return Pump([&] {
            const auto lines = panel.Record().ReceivedTexts();
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        });
    }
};

TEST_P(UnplugTest, ClosesThePortAndGoesOnAfterReplug) {
    emu::PanelOptions options = PanelOptions();
    GetParam().Configure(options);
    emu::PanelEmulator& panel = AddDevice(options);
    panel.Plug();
    ASSERT_TRUE(GetParam().Reach(*this, panel)) << Describe(panel);

    panel.Unplug();
    ASSERT_TRUE(Pump([&] { return !Form.FComPort->Active(); })) << Describe(panel);
    EXPECT_TRUE(BackToIdle());
    ExpectShows(GetParam().StateWhileAway);
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
    EXPECT_EQ(Form.FTestedPort, -1);
    EXPECT_FALSE(Form.FMainFirmware);
    EXPECT_FALSE(Form.FScriptRunning);
    ExpectOnlyRuleCommands(panel);

    emu::PanelEmulator& again = AddDevice(PanelOptions());
    again.Plug();
    ASSERT_TRUE(PumpWithWatchdog(again, [&] { return Form.FState == GetParam().StateAfterReplug && Form.FMainFirmware; }))
        << Describe(again);
    Loop.Advance(2 * 60000);  // nothing of an earlier script may follow
    EXPECT_TRUE(BackToIdle());
    ExpectShows(GetParam().StateAfterReplug);
    ExpectOnlyRuleCommands(again);
    if (GetParam().StateAfterReplug == psConnected) {
        EXPECT_EQ(again.Record().ReceivedTexts(), (std::vector<std::string>{"", "VERSION?", "AUTH=7653", "KVELT_SN?"}));
    }
    const std::string log = ErrorLog();
    if (GetParam().WriteInterrupted) {
        EXPECT_NE(log.find("write interrupted"), std::string::npos) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    } else {
        EXPECT_EQ(log, "");
    }
}

void Ordinary(emu::PanelOptions&) {}

Stage Gets(const std::string& line) {
    return [line](UnplugTest& test, emu::PanelEmulator& panel) { return test.Gets(panel, line); };
}

// The demonstration write, unplugged once the panel has read its n-th command (from 1),
// to which it does not answer: so the write cannot have gone further than that command.
Stage DemoCommand(std::size_t n) {
    return [n](UnplugTest& test, emu::PanelEmulator& panel) {
        if (!test.WaitForState(psConnected)) return false;
        const std::size_t before = panel.Record().ReceivedTexts().size();
        test.Form.OnStartDemoButtonClick();
        return test.WaitReceived(panel, before + n);
    };
}

// The demonstration is written, the program drops the port for the panel's restart,
// connects again, and the panel goes before it has answered.
bool Completion(UnplugTest& test, emu::PanelEmulator& panel) {
    if (!test.WaitForState(psConnected)) return false;
    test.Form.OnStartDemoButtonClick();
    if (!test.Pump([&] { return !test.Form.FMainFirmware; })) return false;
    panel.SetFault(emu::PanelFault::Mute);
    return test.PumpWithWatchdog(panel, [&] {
        const auto lines = panel.Record().ReceivedTexts();
        return std::count(lines.begin(), lines.end(), "VERSION?") >= 2;
    });
}

std::vector<UnplugCase> Cases() {
    std::vector<UnplugCase> cases = {
        {"Handshake", [](emu::PanelOptions& o) { o.Fault = emu::PanelFault::Mute; }, Gets("VERSION?"), psWaitConnect,
         psConnected},
        {"Login", [](emu::PanelOptions& o) { o.SilentKeywords = {"AUTH"}; }, Gets("AUTH=7653"), psWaitConnect,
         psConnected},
        {"SerialNumber", [](emu::PanelOptions& o) { o.SilentKeywords = {"KVELT_SN"}; }, Gets("KVELT_SN?"),
         psWaitConnect, psConnected},
        {"Completion", Ordinary, Completion, psLoadDemo, psDemoLoaded},
    };
    // Commands along the 52, each the first of its keyword, up to the last before "reset".
    struct Stop {
        const char* Name;
        const char* Keyword;
        std::size_t Command;
    };
    static const Stop kStops[] = {{"DemoCommand1", "ftdef", 1},       {"DemoCommand8", "STATEMAP", 8},
                                  {"DemoCommand25", "PART_ZONES", 25}, {"DemoCommand35", "ADDR", 35},
                                  {"DemoCommand48", "VOLUME", 48},     {"DemoCommand51", "settings_save", 51}};
    for (const Stop& stop : kStops) {
        const std::string keyword = stop.Keyword;
        cases.push_back({stop.Name, [keyword](emu::PanelOptions& o) { o.SilentKeywords = {keyword}; },
                         DemoCommand(stop.Command), psWaitConnect, psConnected, true});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Stages, UnplugTest, ::testing::ValuesIn(Cases()),
                         RowName());

}  // namespace
}  // namespace zorv::test
