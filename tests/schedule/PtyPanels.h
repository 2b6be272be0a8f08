#pragma once
// The schedules' second transport: the panel emulator (its own serving thread per
// panel) on pseudo-terminals under a device root, found by the Linux device source
// and opened by the real Linux serial driver with its reader thread. The form's
// loop stays in virtual time, but never slower than real time, and skips ahead
// only while nothing moves on the real side; a panel's restart takes real time.
#include <chrono>
#include <memory>
#include <vector>

#include "FakeMessageLoop.h"
#include "PanelEmulator.h"
#include "ScheduleTransport.h"
#include "discovery/DeviceSourceLinux.h"

namespace zorv::test {

class PtyPanels : public ScheduleTransport, public ICommBackend {
public:
    explicit PtyPanels(FakeMessageLoop& loop);
    ~PtyPanels() override;

    IDeviceSource& DeviceSource() override { return FDevices; }
    // The real driver's backend, counting the program's writes.
    ICommBackend& Backend() override { return *this; }
    std::string IniLines(const std::string& folder) override;
    bool Step(uint64_t untilMs) override;

    void Plug(const emu::PanelOptions* options) override;
    void Unplug() override;
    void Restart() override;
    void SetFault(emu::PanelFault fault) override;
    void SetOtherDevice(bool plugged) override;
    bool Present() const override;
    void CatchUp() override;

    const emu::PanelRecord* Record() const override { return FPanels.empty() ? nullptr : &FPanels.back()->Record(); }
    std::string SerialNumber() const override { return FPanels.empty() ? "" : FPanels.back()->Options().SerialNumber; }
    bool Connected() const override;
    bool Settled(const std::function<bool()>& judged) const override;
    void CheckReadLines(DialogueInvariants& invariants) const override;
    std::vector<const emu::PanelRecord*> Records() const override;

    TPortResult Open(TCommDrv& Drv) override { return FBackend->Open(Drv); }
    TPortResult StartReader(TCommDrv& Drv) override { return FBackend->StartReader(Drv); }
    void StopReader(TCommDrv& Drv) override { FBackend->StopReader(Drv); }
    void WakeReader(TCommDrv& Drv) override { FBackend->WakeReader(Drv); }
    void Close(TCommDrv& Drv) override { FBackend->Close(Drv); }
    uint32_t Write(TCommHandle Handle, const uint8_t* Bytes, uint32_t Count) override;
    bool Lost(TCommHandle Handle) override { return FBackend->Lost(Handle); }

private:
    using Clock = std::chrono::steady_clock;
    // Plugs the device in or out; the device watcher's notice is posted to the form on return.
    void Change(emu::PanelEmulator& device, bool plugged);
    // Something moved since the last look: the loop handled something, the program wrote, or a panel did.
    bool Moved();
    struct PanelState {
        bool ReadAll;        // the present panel read every line the program wrote to its terminal
        bool Away;           // in a restart
        bool HoldingAnswer;  // an answer comes a while after the unasked line just sent
        bool Sending;        // a line just written may still be in the terminal's buffers
    };
    PanelState Look() const;
    // Nothing is on its way between the program and the panel, and the panel is not away or holding an answer.
    bool Idle() const;

    FakeMessageLoop& FLoop;
    TDeviceSourceLinux FDevices;
    std::unique_ptr<ICommBackend> FBackend;
    std::string FRoot;
    std::vector<std::unique_ptr<emu::PanelEmulator>> FPanels;
    std::unique_ptr<emu::PanelEmulator> FOther;
    Clock::time_point FLastLook = Clock::now();
    Clock::time_point FQuietSince = FLastLook;
    uint64_t FPaced = 0;  // the virtual time that real time has earned
    // What Moved compares: the loop's count of things handled, the panels' entries, the writes.
    uint64_t FHandled = 0;
    size_t FEntries = 0;
    uint64_t FWrites = 0;
    uint64_t FWritesSeen = 0;
    // The lines the program wrote to the terminal of the PlugCount'th plug of the panel-th panel.
    size_t FLinesWritten = 0;
    size_t FWritePanel = 0;
    int FWritePlug = 0;
};

}  // namespace zorv::test
