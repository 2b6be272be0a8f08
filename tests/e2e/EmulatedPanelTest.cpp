// The road of one panel, from plugging in to the demonstration and back,
// against the panel emulator on real pseudo-terminals.
#include <dirent.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "EmulatedPanelFixture.h"
#include "foundation/Cp1251.h"
#include "serial/ComPortDrv.h"
#include "serial/ComPortUS.h"

namespace zorv::test {
namespace {

using namespace std::chrono_literals;

bool Received(const emu::PanelEmulator& panel, const std::string& line) {
    const auto lines = panel.Record().ReceivedTexts();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool ReceivedStartingWith(const emu::PanelEmulator& panel, const std::string& prefix) {
    for (const auto& line : panel.Record().ReceivedTexts())
        if (line.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

size_t OpenDescriptors() {
    size_t count = 0;
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        while (::readdir(fds)) ++count;
        ::closedir(fds);
    }
    return count;
}

class EmulatedPanelFlowTest : public EmulatedPanelTest {
protected:
    emu::PanelEmulator& PlugInPanel(const emu::PanelOptions& options) {
        emu::PanelEmulator& panel = AddDevice(options);
        panel.Plug();
        return panel;
    }
    emu::PanelEmulator& Connected() {
        emu::PanelEmulator& panel = PlugInPanel(PanelOptions());
        EXPECT_TRUE(WaitForState(psConnected));
        return panel;
    }
    // Writes the demonstration settings and waits for the panel's restart to complete them.
    void LoadDemo(emu::PanelEmulator& panel) {
        Form.OnStartDemoButtonClick();
        EXPECT_EQ(Form.FState, psLoadDemo);
        ASSERT_TRUE(WaitForState(psDemoLoaded)) << Describe(panel);
        EXPECT_TRUE(Received(panel, "reset")) << Describe(panel);
    }
    // The panel has read the line (its thread may lag behind the program's write).
    bool Gets(const emu::PanelEmulator& panel, const std::string& line) {
        return Pump([&] { return Received(panel, line); }, std::chrono::seconds(2));
    }
};

TEST_F(EmulatedPanelFlowTest, PluggingInConnectsAndIdentifiesThePanel) {
    emu::PanelEmulator& panel = Connected();
    EXPECT_EQ(Form.FObjectNumber, 3456);
    EXPECT_TRUE(Form.FMainFirmware);
    EXPECT_EQ(Form.FTestedPort, 201);
    EXPECT_EQ(Form.FComPort->BaudRate(), 115200u);
    EXPECT_TRUE(Received(panel, "VERSION?"));
    EXPECT_TRUE(Received(panel, "AUTH=7653"));
    EXPECT_TRUE(Received(panel, "KVELT_SN?"));
    EXPECT_FALSE(Form.FCheckPortsTimer->Enabled());
}

TEST_F(EmulatedPanelFlowTest, APanelInItsBootloaderIsStartedAndConnectedAfterItsRestart) {
    emu::PanelOptions options = PanelOptions();
    options.StartInBootloader = true;
    emu::PanelEmulator& panel = PlugInPanel(options);
    ASSERT_TRUE(WaitForState(psConnected)) << Describe(panel);
    EXPECT_TRUE(Received(panel, "START_MAIN"));
    EXPECT_GE(panel.Record().PlugCount(), 2);
}

TEST_F(EmulatedPanelFlowTest, TheDemonstrationIsWrittenCompletedAfterTheRestartAndShown) {
    emu::PanelEmulator& panel = Connected();
    LoadDemo(panel);
    EXPECT_TRUE(Received(panel, "ACCOUNT=3456"));
    EXPECT_TRUE(Gets(panel, "ARM_IGNORE_TAMPER=1"));
    EXPECT_TRUE(Pump([&] { return ReceivedStartingWith(panel, "TIME="); }, 2s));
    EXPECT_EQ(panel.Record().PlugCount(), 2);
    EXPECT_NE(View.Labels[TLabelId::ObjectsValue].find("3456, 3457"), std::string::npos);
}

TEST_F(EmulatedPanelFlowTest, TheBillingButtonsSendTheirCommandAndSetTheirState) {
    emu::PanelEmulator& panel = Connected();
    LoadDemo(panel);
    Form.OnMoneyLittleButtonClick();
    EXPECT_EQ(Form.FState, psMoneyLittle);
    Form.OnMoneyOffButtonClick();
    EXPECT_EQ(Form.FState, psMoneyOff);
    Form.OnMoneyFullButtonClick();
    EXPECT_EQ(Form.FState, psMoneyFull);
    ASSERT_TRUE(Gets(panel, "ARM_ALLOWED=0"));
    const auto lines = panel.Record().ReceivedTexts();
    const auto little = std::find(lines.begin(), lines.end(), "ARM_ALLOWED=2");
    const auto off = std::find(lines.begin(), lines.end(), "ARM_ALLOWED=3");
    const auto full = std::find(lines.begin(), lines.end(), "ARM_ALLOWED=0");
    EXPECT_TRUE(little < off && off < full && full != lines.end());
}

TEST_F(EmulatedPanelFlowTest, FactorySettingsReturnToConnected) {
    emu::PanelEmulator& panel = Connected();
    LoadDemo(panel);
    Form.OnEndDemoButtonClick();
    EXPECT_EQ(Form.FState, psLoadFtdef);
    ASSERT_TRUE(WaitForState(psConnected));
    EXPECT_EQ(panel.Record().PlugCount(), 3);
    EXPECT_TRUE(Form.FMainFirmware);
}

TEST_F(EmulatedPanelFlowTest, UnplugWhileConnectedReturnsToWaiting) {
    emu::PanelEmulator& panel = Connected();
    panel.Unplug();
    ASSERT_TRUE(WaitForState(psWaitConnect));
    EXPECT_FALSE(Form.FComPort->Active());
    EXPECT_EQ(Form.FTestedPort, -1);
    EXPECT_FALSE(Form.FMainFirmware);
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
    panel.Plug();
    EXPECT_TRUE(WaitForState(psConnected));
}

TEST_F(EmulatedPanelFlowTest, UnplugDuringTheDemonstrationWriteAbandonsItUntilThePanelIsWrittenAgain) {
    emu::PanelOptions options = PanelOptions();
    options.SilentKeywords = {"STATEMAP"};  // the write stops there, waiting for an answer
    emu::PanelEmulator& panel = PlugInPanel(options);
    ASSERT_TRUE(WaitForState(psConnected));
    Form.OnStartDemoButtonClick();
    ASSERT_TRUE(Pump([&] { return Received(panel, "STATEMAP=0,0,2"); }));
    panel.Unplug();
    ASSERT_TRUE(WaitForState(psWaitConnect));
    EXPECT_FALSE(Form.FLoadDemoPending);
    EXPECT_FALSE(Form.FScriptRunning);
    EXPECT_FALSE(Form.FSendCommandTimer->Enabled());
    EXPECT_NE(ErrorLog().find("write interrupted"), std::string::npos) << ErrorLog();

    emu::PanelEmulator& again = PlugInPanel(PanelOptions());
    ASSERT_TRUE(WaitForState(psConnected)) << Describe(again);
    Loop.Advance(3 * 60000);  // time in which a forgotten watchdog would go on with the old script
    PumpFor(200ms);
    EXPECT_EQ(again.Record().ReceivedTexts(), (std::vector<std::string>{"", "VERSION?", "AUTH=7653", "KVELT_SN?"}));
    EXPECT_EQ(Form.FState, psConnected);

    LoadDemo(again);
    const auto lines = again.Record().ReceivedTexts();
    ASSERT_GT(lines.size(), 5u);
    EXPECT_EQ(lines[4], "ftdef");
    EXPECT_EQ(lines[5], "REFRESH_PART_STATE");
}

TEST_F(EmulatedPanelFlowTest, ASecondSerialDeviceIsNeverOpened) {
    emu::PanelOptions otherOptions = PanelOptions();
    otherOptions.Usb = {"0403", "6001", "A700", "Serial Cable", "pci0000:00/0000:00:14.0/usb1/1-2", "ttyUSB0"};
    emu::PanelEmulator& other = AddDevice(otherOptions);
    other.Plug();
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, other.Record().SlavePath().c_str(), IN_OPEN), 0);
    PumpFor(100ms);
    emu::PanelEmulator& panel = Connected();
    Form.OnCheckPortsTimer(nullptr);
    panel.Unplug();
    ASSERT_TRUE(WaitForState(psWaitConnect));
    Loop.Advance(15000);  // port checks while waiting
    panel.Plug();
    ASSERT_TRUE(WaitForState(psConnected));
    pollfd fd{watch, POLLIN, 0};
    EXPECT_EQ(::poll(&fd, 1, 0), 0) << "the other device was opened";
    ::close(watch);
    EXPECT_TRUE(other.Record().ReceivedTexts().empty());
    ASSERT_TRUE(Form.FPortList);
    EXPECT_EQ(Form.FPortList->size(), 2u);
}

TEST_F(EmulatedPanelFlowTest, ShutdownWithThePortOpenClosesIt) {
    emu::PanelEmulator& panel = Connected();
    const std::string slave = panel.Record().SlavePath();
    Form.OnFormDestroy();
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
    EXPECT_FALSE(Form.FComPort);
    // The port is free again for anyone.
    EXPECT_TRUE(Devices.ProbeExclusive(201));
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(EmulatedPanelFlowTest, AHundredPlugCyclesLeakNoDescriptor) {
    emu::PanelEmulator& panel = Connected();
    panel.Unplug();
    ASSERT_TRUE(WaitForState(psWaitConnect));
    const size_t before = OpenDescriptors();
    for (int cycle = 0; cycle < 100; ++cycle) {
        panel.Plug();
        ASSERT_TRUE(WaitForState(psConnected)) << "cycle " << cycle;
        panel.Unplug();
        ASSERT_TRUE(WaitForState(psWaitConnect)) << "cycle " << cycle;
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace zorv::test
