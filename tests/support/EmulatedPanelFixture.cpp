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
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const uint64_t startMs = Loop.ElapsedMs();
    for (;;) {
        Loop.RunPending();
        if (pred()) return true;
        const auto passed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        if (passed > limit) return false;
        // At least as fast as real time: on a loaded machine this thread wakes late, and
        // timers the awaited event depends on (the port check) must still fall due in time.
        const uint64_t pace = startMs + static_cast<uint64_t>(passed.count());
        Loop.Advance(pace > Loop.ElapsedMs() + 1 ? pace - Loop.ElapsedMs() : 1);
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
