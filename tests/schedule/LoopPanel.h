#pragma once
// Emulated panels on the form's own message loop, in virtual time: the panel
// emulator's command language and record behind a serial backend without a
// port or a thread, and the device list that shows which of them is plugged in.
// A panel answers a millisecond after each command (its record stamps the
// answer when it reaches the port), restarts on "reset" and
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
#include "PanelLogic.h"
#include "PanelRecord.h"
#include "ScheduleTransport.h"

namespace zorv::test {

class LoopPanels : public ScheduleTransport, public ICommBackend {
public:
    // The panel's port, and the port of another USB serial device that comes and goes.
    static constexpr int32_t kPanelPort = 3;
    static constexpr int32_t kOtherPort = 5;

    struct Panel {
        // The record's times are the loop's virtual time.
        Panel(const emu::PanelOptions& options, std::function<emu::Clock::time_point()> now);
        emu::PanelOptions Options;
        emu::PanelRecord Record;
        emu::PanelLogic Logic;
        emu::LineAssembler Assembler;
        emu::FaultyAnswers Faulty;
        emu::PanelFault Fault = emu::PanelFault::None;
    };

    explicit LoopPanels(FakeMessageLoop& loop);
    ~LoopPanels() override;

    IDeviceSource& DeviceSource() override { return FDevices; }
    ICommBackend& Backend() override { return *this; }
    bool Step(uint64_t untilMs) override { return FLoop.AdvanceOne(untilMs); }

    TPortResult Open(TCommDrv& Drv) override;
    TPortResult StartReader(TCommDrv& Drv) override;
    void StopReader(TCommDrv& Drv) override;
    void WakeReader(TCommDrv& Drv) override;
    void Close(TCommDrv& Drv) override;
    uint32_t Write(TCommHandle Handle, const uint8_t* Bytes, uint32_t Count) override;
    bool Lost(TCommHandle) override { return !Connected(); }

    void Plug(const emu::PanelOptions* options) override;
    void Unplug() override;
    void Restart() override;
    void SetFault(emu::PanelFault fault) override;
    void SetOtherDevice(bool plugged) override;
    bool Present() const override { return FPresent; }

    // The panel plugged in last (nullptr before the first); it may be away now.
    Panel* Current() const { return FPanels.empty() ? nullptr : FPanels.back().get(); }
    const emu::PanelRecord* Record() const override { return Current() ? &Current()->Record : nullptr; }
    std::string SerialNumber() const override { return Current() ? Current()->Options.SerialNumber : ""; }
    std::vector<const emu::PanelRecord*> Records() const override;
    // The port is open on the present panel.
    bool Connected() const override { return FOpenConnection != 0 && FOpenConnection == FConnection; }
    // OnLine's connection changes with every open of the port and every appearance or loss of the panel.

private:
    void After(unsigned ms, std::function<void()> action);
    void Appear();
    void Vanish();
    void Answer(Panel& panel, const std::string& line);
    // Puts bytes in the program's port after delayMs, and then records reply (when not empty) as sent.
    void Deliver(const std::string& bytes, unsigned delayMs, const std::string& reply = std::string());
    // An answer to an earlier line of this connection has not reached the program's port, on a
    // connection without garbage.
    bool AnswerOnItsWay() const;
    void PublishDevices();

    FakeMessageLoop& FLoop;
    FakeDeviceSource FDevices;
    std::vector<std::unique_ptr<Panel>> FPanels;
    std::vector<std::unique_ptr<ITimer>> FTimers;
    bool FPresent = false;
    bool FAway = false;        // in a restart; it comes back unless unplugged
    bool FOther = false;
    uint32_t FConnection = 0;  // counts the panel's appearances and the port's opens
    uint32_t FOpenConnection = 0;
    // The panel's bytes on their way to the program's port on one connection: how many pieces, when
    // the last is due, and whether garbage went on it.
    struct Outgoing {
        uint32_t Connection;
        size_t Undelivered;
        uint64_t LastDueMs;
        bool Garbled;
    } FOutgoing{0, 0, 0, false};
};

}  // namespace zorv::test
