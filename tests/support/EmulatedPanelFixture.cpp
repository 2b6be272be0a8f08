#include "EmulatedPanelFixture.h"

#include <filesystem>
#include <thread>

#include "foundation/CommonUtils.h"
#include "serial/ComPortUS.h"
#include "serial/CommBackendLinux.h"

namespace zorv::test {

EmulatedPanelTest::EmulatedPanelTest()
    : Devices(Loop, "/"),
      Ports(MakeLinuxCommBackend([this](int32_t PortNumber) { return Devices.DevicePath(PortNumber); })),
      Harness({Loop, View, Devices, *Ports, BuiltInResources()}),
      Root(Dir.File("root")) {
    std::filesystem::create_directories(Root + "/dev");
    Dir.Write("ZorvGSMDemo.ini", "[Linux]\nDeviceRoot=" + Root + "\n");
    Harness.Start();
    EXPECT_EQ(View.ShowCount, 1);
}

EmulatedPanelTest::~EmulatedPanelTest() {
    Harness.Stop();
    Emulators.clear();
}

emu::PanelOptions EmulatedPanelTest::PanelOptions() const {
    emu::PanelOptions options;
    options.DeviceRoot = Root;
    return options;
}

emu::PanelEmulator& EmulatedPanelTest::AddDevice(const emu::PanelOptions& options) {
    Emulators.push_back(std::make_unique<emu::PanelEmulator>(options));
    return *Emulators.back();
}

bool EmulatedPanelTest::Pump(const std::function<bool()>& pred, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        Loop.RunPending();
        if (pred()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        Loop.Advance(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void EmulatedPanelTest::PumpFor(std::chrono::milliseconds time) { Pump([] { return false; }, time); }

std::string EmulatedPanelTest::ErrorLog() const { return Harness.ErrorLog(); }

std::string EmulatedPanelTest::Describe(const emu::PanelEmulator& panel) const {
    return panel.Record().Transcript() + "error log: " + ErrorLog() + "\nstate " + std::to_string(Form.FState) +
           ", tested port " + std::to_string(Form.FTestedPort) + ", port active " +
           std::to_string(Form.FComPort && Form.FComPort->Active()) + ", port check " +
           std::to_string(Form.FCheckPortsTimer && Form.FCheckPortsTimer->Enabled());
}

}  // namespace zorv::test
