#pragma once
// Emulated panels on the form's own message loop, in virtual time: the panel
// emulator's command language and record behind a serial backend without a
// port or a thread, and the device list that shows which of them is plugged in.
// A panel answers a millisecond after each command, restarts on "reset" and
// "START_MAIN" (gone from the list, back after its restart delay), and its
// settings outlive an unplug. Everything happens on the loop, so one schedule
// of plugs, faults and presses always runs the same way.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeDeviceSource.h"
#include "FakeMessageLoop.h"
#include "LineAssembler.h"
#include "PanelFault.h"
#include "PanelLogic.h"
#include "PanelOptions.h"
#include "PanelRecord.h"
#include "serial/CommBackend.h"

namespace zorv::test {

class LoopPanels : public ICommBackend {
public:
    // The panel's port, and the port of another USB serial device that comes and goes.
    static constexpr int32_t kPanelPort = 3;
    static constexpr int32_t kOtherPort = 5;

    struct Panel {
        explicit Panel(const emu::PanelOptions& options);
        emu::PanelOptions Options;
        emu::PanelRecord Record;
        emu::PanelLogic Logic;
        emu::LineAssembler Assembler;
        emu::FaultyAnswers Faulty;
        emu::PanelFault Fault = emu::PanelFault::None;
    };

    LoopPanels(FakeMessageLoop& loop, FakeDeviceSource& devices);
    ~LoopPanels() override;

    TPortResult Open(TCommDrv& Drv) override;
    TPortResult StartReader(TCommDrv& Drv) override;
    void StopReader(TCommDrv& Drv) override;
    void WakeReader(TCommDrv& Drv) override;
    void Close(TCommDrv& Drv) override;
    uint32_t Write(TCommHandle Handle, const uint8_t* Bytes, uint32_t Count) override;
    bool Lost(TCommHandle) override { return !Connected(); }

    // Plugs in a new panel, or the last one again when options is empty; nothing while one is in.
    void Plug(const emu::PanelOptions* options);
    // The panel goes, in a restart too (it then does not come back by itself).
    void Unplug();
    // The panel restarts by itself: gone, and back after its restart delay.
    void Restart();
    void SetFault(emu::PanelFault fault);
    void SetOtherDevice(bool plugged);

    // The panel plugged in last (nullptr before the first); it may be away now.
    Panel* Current() { return FPanels.empty() ? nullptr : FPanels.back().get(); }
    // Plugged in and not away in a restart.
    bool Present() const { return FPresent; }
    // The port is open on the present panel.
    bool Connected() const { return FOpenConnection != 0 && FOpenConnection == FConnection; }
    // Changes with every open of the port and every appearance or loss of the panel.
    uint32_t Connection() const { return FConnection; }

    // Called with each line the present panel reads, before it answers it.
    std::function<void(const std::string& Line)> OnLine;

private:
    void After(unsigned ms, std::function<void()> action);
    void Appear();
    void Vanish();
    void Answer(Panel& panel, const std::string& line);
    void Deliver(const std::string& bytes, unsigned delayMs);
    void PublishDevices();

    FakeMessageLoop& FLoop;
    FakeDeviceSource& FDevices;
    std::vector<std::unique_ptr<Panel>> FPanels;
    std::vector<std::unique_ptr<ITimer>> FTimers;
    bool FPresent = false;
    bool FAway = false;        // in a restart; it comes back unless unplugged
    bool FOther = false;
    uint32_t FConnection = 0;  // counts the panel's appearances and the port's opens
    uint32_t FOpenConnection = 0;
};

}  // namespace zorv::test
