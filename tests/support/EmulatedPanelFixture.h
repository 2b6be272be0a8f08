#pragma once
// The whole program logic against emulated panels: the main window with the
// real serial driver and the Linux device source under a temporary device
// root, where the panel emulator plugs its pseudo-terminals in. The message
// loop runs in virtual time, advanced about as fast as real time while the
// test waits, so the reader and watcher threads and the emulator keep pace.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FormHarness.h"
#include "PanelEmulator.h"
#include "discovery/DeviceSourceLinux.h"
#include "serial/CommBackend.h"

namespace zorv::test {

class EmulatedPanelTest : public ::testing::Test {
protected:
    EmulatedPanelTest();
    ~EmulatedPanelTest() override;

    // An ordinary panel under the test's device root.
    emu::PanelOptions PanelOptions() const;
    // Creates an emulated device (not plugged in yet).
    emu::PanelEmulator& AddDevice(const emu::PanelOptions& options);

    // Runs the loop until pred() holds; false after limit of real time.
    bool Pump(const std::function<bool()>& pred, std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Runs the loop for about this long.
    void PumpFor(std::chrono::milliseconds time);
    bool WaitForState(TProgramState state) { return Pump([&] { return Form.FState == state; }); }
    std::string ErrorLog() const;
    // What a failed wait needs to be understood: the panel's transcript and the program's state.
    std::string Describe(const emu::PanelEmulator& panel) const;

    FakeMessageLoop Loop;
    FakeMainView View;
    TDeviceSourceLinux Devices;
    std::unique_ptr<ICommBackend> Ports;
    FormHarness Harness;
    TempDir& Dir = Harness.Dir;
    TZorvGSMDemoMainForm& Form = Harness.Form;
    const std::string Root;
    std::vector<std::unique_ptr<emu::PanelEmulator>> Emulators;
};

}  // namespace zorv::test
