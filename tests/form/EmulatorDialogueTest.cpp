// The dialogue over a real pseudo-terminal with the real serial driver,
// against the emulated panel. The panel's restarts are followed by opening
// its port again, as discovery does when the panel comes back.
#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "FakeDeviceSource.h"
#include "FormHarness.h"
#include "PanelEmulator.h"
#include "RealTimeLoop.h"
#include "RowName.h"
#include "DemoScript.h"
#include "form/ZorvGSMDemoMain.h"
#include "dialogue/CommandsList.h"
#include "discovery/SerialPort.h"
#include "foundation/CommonUtils.h"
#include "serial/ComPortUS.h"
#include "serial/CommBackendLinux.h"

namespace zorv::test {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

constexpr int32_t kPanelPort = 4;
constexpr unsigned kTimeoutMs = 10000;

// The local wall clock counted as UTC, from the C library rather than the program's own arithmetic.
int64_t LocalClockAsUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<int64_t>(timegm(&local));
}

class EmulatedPanel : public ::testing::Test {
protected:
    EmulatedPanel() {
        Options.DeviceRoot = Root.Path();
        Options.RestartDelay = 50ms;
    }

    ~EmulatedPanel() override {
        Harness.Stop();
        if (Panel) Panel->Unplug();
    }

    void Start() {
        Panel = std::make_unique<emu::PanelEmulator>(Options);
        Panel->Plug();
        Harness.Start();
    }

    bool RunUntil(const std::function<bool()>& pred) { return Loop.RunUntil(pred, kTimeoutMs); }

    // Once the panel is plugged in for the given time, the system announces its port and the form opens it.
    void ConnectAfterPlug(int plugCount) {
        ASSERT_TRUE(Panel->Record().WaitForPlugCount(plugCount, std::chrono::milliseconds(kTimeoutMs)));
        Devices.PlugPanel(kPanelPort);
        ASSERT_EQ(Form.FTestedPort, kPanelPort);
    }

    void Identify() {
        ConnectAfterPlug(1);
        ASSERT_TRUE(RunUntil([&] { return Form.FState == psConnected; })) << Transcript();
    }

    // Starts a script and follows its "reset": the panel comes back and the pending write is completed.
    void RunScriptThroughRestart(void (TZorvGSMDemoMainForm::*Click)()) {
        const int plugCount = Panel->Record().PlugCount();
        (Form.*Click)();
        ASSERT_TRUE(RunUntil([&] { return Form.FTestedPort == -1; })) << Transcript();
        ConnectAfterPlug(plugCount + 1);
    }

    // The commands received after the first skip of them.
    Lines ReceivedAfter(size_t skip) const {
        const Lines received = Received();
        return skip >= received.size() ? Lines() : Lines(received.begin() + static_cast<long>(skip), received.end());
    }

    // The commands the panel received, without the empty lines.
    Lines Received() const {
        Lines lines;
        for (const auto& text : Panel->Record().ReceivedTexts())
            if (!text.empty()) lines.push_back(text);
        return lines;
    }

    std::string Transcript() const { return Panel ? Panel->Record().Transcript() : std::string(); }

    emu::PanelOptions Options;
    std::unique_ptr<emu::PanelEmulator> Panel;
    RealTimeLoop Loop;
    FakeMainView View;
    FakeDeviceSource Devices;
    const std::unique_ptr<ICommBackend> Ports = MakeLinuxCommBackend(
        [this](int32_t port) { return port == kPanelPort && Panel ? Panel->DevPath() : std::string(); });
    FormHarness Harness{{Loop, View, Devices, *Ports, BuiltInResources()}};
    TempDir& Root = Harness.Dir;
    TZorvGSMDemoMainForm& Form = Harness.Form;
};

TEST_F(EmulatedPanel, BootloaderIsBroughtIntoTheMainFirmwareAndIdentified) {
    Options.StartInBootloader = true;
    Start();
    ConnectAfterPlug(1);
    ASSERT_TRUE(RunUntil([&] { return Form.FTestedPort == -1; })) << Transcript();
    ConnectAfterPlug(2);
    ASSERT_TRUE(RunUntil([&] { return Form.FState == psConnected; })) << Transcript();
    EXPECT_EQ(Received(), (Lines{"VERSION?", "START_MAIN", "VERSION?", "AUTH=7653", "KVELT_SN?"}));
    EXPECT_EQ(Form.FFirmwareVersion, "5.1.10.6");
    EXPECT_TRUE(Form.FPasswordRequired);
    EXPECT_EQ(Form.FObjectNumber, 3456);
    EXPECT_EQ(Root.Read("ErrLog.txt"), "");
}

TEST_F(EmulatedPanel, DemonstrationIsWrittenAndCompletedAfterTheRestart) {
    Start();
    Identify();
    const size_t before = Received().size();
    RunScriptThroughRestart(&TZorvGSMDemoMainForm::OnStartDemoButtonClick);
    const int64_t clockBefore = LocalClockAsUtc();
    ASSERT_TRUE(RunUntil([&] { return Form.FState == psDemoLoaded; })) << Transcript();
    const int64_t clockAfter = LocalClockAsUtc();
    ASSERT_TRUE(RunUntil([&] { return Received().size() >= before + 52 + 5; })) << Transcript();

    const Lines received = Received();
    const Lines script(received.begin() + before, received.begin() + before + 52);
    EXPECT_EQ(script, CommandTexts(DemoScriptCommands("3456")));
    const Lines completion(received.begin() + before + 52, received.end());
    ASSERT_EQ(completion.size(), 5u);
    EXPECT_EQ(completion[0], "VERSION?");
    EXPECT_EQ(completion[1], "AUTH=7653");
    EXPECT_EQ(completion[2], "KVELT_SN?");  // the written panel, known by its serial number
    EXPECT_EQ(completion[3], "ARM_IGNORE_TAMPER=1");
    ASSERT_EQ(completion[4].rfind("TIME=", 0), 0u) << completion[4];
    const int64_t time = std::stoll(completion[4].substr(5));
    EXPECT_GE(time, clockBefore);
    EXPECT_LE(time, clockAfter);
    EXPECT_FALSE(Form.FLoadDemoPending);
    EXPECT_EQ(Root.Read("ErrLog.txt"), "");

    // The panel kept the demonstration settings, with the object's account.
    const auto& settings = Panel->Record().Settings();
    bool account = false;
    for (const auto& s : settings) account = account || (s.Key == "ACCOUNT" && s.Value == "3456");
    EXPECT_TRUE(account);
}

TEST_F(EmulatedPanel, BillingButtonsSendTheirCommands) {
    Start();
    Identify();
    const size_t before = Received().size();
    Form.OnMoneyLittleButtonClick();
    EXPECT_EQ(Form.FState, psMoneyLittle);
    Form.OnMoneyOffButtonClick();
    EXPECT_EQ(Form.FState, psMoneyOff);
    Form.OnMoneyFullButtonClick();
    EXPECT_EQ(Form.FState, psMoneyFull);
    ASSERT_TRUE(RunUntil([&] { return Received().size() >= before + 3; })) << Transcript();
    EXPECT_EQ(ReceivedAfter(before), (Lines{"ARM_ALLOWED=2", "ARM_ALLOWED=3", "ARM_ALLOWED=0"}));
    Loop.ProcessMessagesFor(100);  // the panel's answers change nothing
    EXPECT_EQ(Form.FState, psMoneyFull);
    EXPECT_EQ(Received().size(), before + 3);
}

TEST_F(EmulatedPanel, FactorySettingsAreWrittenAndThePanelComesBackConnected) {
    Start();
    Identify();
    const size_t before = Received().size();
    RunScriptThroughRestart(&TZorvGSMDemoMainForm::OnEndDemoButtonClick);
    ASSERT_TRUE(RunUntil([&] { return Received().size() >= before + 6 && Form.FState == psConnected; }))
        << Transcript();
    EXPECT_EQ(ReceivedAfter(before), (Lines{"ftdef", "settings_save", "reset", "VERSION?", "AUTH=7653", "KVELT_SN?"}));
    EXPECT_FALSE(Form.FLoadFtdefPending);
}

TEST_F(EmulatedPanel, ProtectedPanelIsReported) {
    Options.Password = std::string("1111");
    Start();
    ConnectAfterPlug(1);
    ASSERT_TRUE(RunUntil([&] { return !View.MessageBoxes.empty(); })) << Transcript();
    EXPECT_EQ(View.MessageBoxes[0].Flags, 16u);
    Loop.ProcessMessagesFor(200);
    EXPECT_EQ(Form.FState, psWaitConnect);
    EXPECT_EQ(Received(), (Lines{"VERSION?", "AUTH=7653"}));
}

TEST_F(EmulatedPanel, PanelWithoutSerialNumberIsNotConnected) {
    Options.SerialNumber = "NOT SET";
    Start();
    ConnectAfterPlug(1);
    ASSERT_TRUE(RunUntil([&] { return Received().size() == 3; })) << Transcript();
    Loop.ProcessMessagesFor(200);
    EXPECT_EQ(Form.FState, psWaitConnect);
    EXPECT_EQ(Form.FSerialNumber, -1);
}

// Panels that answer in a manner of their own take the whole demonstration write as any other.
struct MannerCase {
    const char* Name;
    std::function<void(emu::PanelOptions&)> Configure;
};

void PrintTo(const MannerCase& c, std::ostream* os) { *os << c.Name; }

class PanelManner : public EmulatedPanel, public ::testing::WithParamInterface<MannerCase> {};

TEST_P(PanelManner, IsServedAsAnyOther) {
    GetParam().Configure(Options);
    Start();
    Identify();
    const size_t before = Received().size();
    RunScriptThroughRestart(&TZorvGSMDemoMainForm::OnStartDemoButtonClick);
    ASSERT_TRUE(RunUntil([&] { return Form.FState == psDemoLoaded; })) << Transcript();
    const Lines received = Received();
    EXPECT_EQ(Lines(received.begin() + before, received.begin() + before + 52),
              CommandTexts(DemoScriptCommands("3456")));
    EXPECT_EQ(Root.Read("ErrLog.txt"), "");
}

INSTANTIATE_TEST_SUITE_P(Manners, PanelManner,
                         ::testing::Values(MannerCase{"Echoing", [](emu::PanelOptions& o) { o.Echo = true; }},
                                           MannerCase{"RepliesSplitAtEveryByte",
                                                      [](emu::PanelOptions& o) {
                                                          o.ReplyChunkSize = 1;
                                                          o.ChunkGap = 1ms;
                                                      }}),
                         RowName());

}  // namespace
}  // namespace zorv::test
