#pragma once
// An emulated Zorv GSM panel on a pseudo-terminal, plugged in as a USB serial
// device under a device root (see DeviceNode.h) or as a COM port of a Wine
// prefix (see WinePort.h). While plugged in, a thread of
// its own serves the port: it waits in poll() for the program's bytes or the
// stop request, answers each command line as the panel would, and for
// "START_MAIN" and "reset" unplugs, waits the restart delay and plugs in again
// on a new pseudo-terminal.
//
// Plug and Unplug belong to the owner's thread; SetFault, Restart, DevPath,
// Record and the waits of the record may be used from any thread.
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "DevicePlug.h"
#include "LineAssembler.h"
#include "PanelLogic.h"
#include "PanelOptions.h"
#include "PanelRecord.h"
#include "PseudoTerminal.h"
#include "foundation/UniqueFdLinux.h"

namespace zorv::emu {

class PanelEmulator {
public:
    // Throws std::invalid_argument for options that name no usable device. The panel answers
    // as answers does, or as the options' panel when there are none.
    explicit PanelEmulator(PanelOptions options, std::unique_ptr<PanelAnswers> answers = nullptr);
    ~PanelEmulator();
    PanelEmulator(const PanelEmulator&) = delete;
    PanelEmulator& operator=(const PanelEmulator&) = delete;

    // Creates the pseudo-terminal and the device files and starts serving;
    // does nothing when plugged in already. Throws std::system_error or
    // std::filesystem::filesystem_error, leaving the panel unplugged.
    void Plug();
    // Stops serving, removes the device files and hangs up the port.
    void Unplug();
    // Puts a fault in force (PanelFault::None ends it). The serving thread takes it up before
    // the next command it reads and records PanelEvent::FaultInForce once it is in force.
    void SetFault(PanelFault fault);
    // The panel restarts by itself, as on "reset": the serving thread takes it up before the next
    // command it reads. Nothing while the panel is away or not plugged in.
    void Restart();

    // True from Plug to Unplug, while the panel is away in a restart too.
    bool Plugged() const { return FThread.joinable(); }

    // <root>/dev/<tty>, or the link of the Wine COM port: the path the program opens.
    std::string DevPath() const { return FNode->DevPath(); }
    const PanelRecord& Record() const { return FRecord; }
    const PanelOptions& Options() const { return FOptions; }

private:
    void PlugTerminal();
    void UnplugTerminal();
    void Serve();
    void RecordPortUse();
    // Takes up a fault that SetFault asked for.
    void ApplyFault();
    void AnswerFaulty();
    // false when the master can no longer be read.
    bool ReadFromProgram();
    // false when the panel restarted or is stopping, so the rest of the input is dropped.
    bool Answer(const AssembledLine& line);
    // A reply the program does not drain in time is dropped, and the panel goes on.
    void WriteLine(const std::string& text);
    // Waits the timeout (or until the stop); true when the program's bytes came meanwhile.
    bool InputWithin(std::chrono::milliseconds timeout);
    // false when the bytes could not all be written (deadline, failure or stop).
    bool WriteAll(const char* data, std::size_t size);
    void RestartNow(std::chrono::milliseconds away);
    // Waits up to the timeout; true when a stop was requested meanwhile.
    bool WaitForStop(std::chrono::milliseconds timeout);

    const PanelOptions FOptions;
    const std::unique_ptr<DevicePlug> FNode;
    PanelRecord FRecord;
    const std::unique_ptr<PanelAnswers> FAnswers;
    LineAssembler FAssembler;
    FaultyAnswers FFaultyAnswers;
    std::atomic<PanelFault> FRequestedFault;
    std::atomic<bool> FRestartRequested{false};
    PanelFault FFault = PanelFault::None;  // the serving thread's own copy
    TUniqueFd FRequestMade;  // a fault or a restart was asked for
    std::unique_ptr<PseudoTerminal> FTerminal;
    TUniqueFd FStopEvent;
    std::atomic<bool> FStopping{false};
    std::thread FThread;
};

}  // namespace zorv::emu
