// The panel unplugged at every stage of its road: the program closes the port,
// keeps or drops the pending write as its rules say, and carries on with the
// panel when it is plugged in again.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "FaultFixture.h"
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
};

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
    EXPECT_TRUE(BackToIdle());
    ExpectShows(GetParam().StateAfterReplug);
    ExpectOnlyRuleCommands(again);
    EXPECT_EQ(ErrorLog(), "");
}

void Ordinary(emu::PanelOptions&) {}

Stage Gets(const std::string& line) {
    return [line](UnplugTest& test, emu::PanelEmulator& panel) { return test.Gets(panel, line); };
}

// The demonstration write, unplugged once the panel has read its n-th command (from 1).
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
    // Every tenth command of the 52.
    static const char* const kNames[] = {"DemoCommand1",  "DemoCommand11", "DemoCommand21",
                                         "DemoCommand31", "DemoCommand41", "DemoCommand51"};
    for (std::size_t i = 0; i < 6; ++i)
        cases.push_back({kNames[i], Ordinary, DemoCommand(1 + 10 * i), psLoadDemo, psDemoLoaded});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Stages, UnplugTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace zorv::test
