#pragma once
// What a schedule's "another panel" and "fault" events stand for, on every
// transport: the kinds of panel a schedule plugs in and the faults it sets.
#include <chrono>
#include <cstdint>

#include "PanelFault.h"
#include "PanelOptions.h"

namespace zorv::test {

// The kinds up to NoPassword serve a demonstration; the others refuse it somewhere on the way.
enum class PanelKindId : uint32_t {
    Plain, Echo, EchoChangedCase, InPieces, InBootloader, NoPassword,
    OtherPassword, OldFirmware, NewerFirmware, NoSerialNumber, StuckInBootloader,
};
constexpr uint32_t kPanelKinds = 11;
constexpr uint32_t kHealthyKinds = 6;

// An event's Arg names a panel's kind and its restart time together: kind + kPanelKinds * step.
constexpr uint32_t kRestartSteps = 40;
constexpr uint32_t kRestartStepMs = 50;
uint32_t PanelArg(PanelKindId kind, std::chrono::milliseconds restart);
std::chrono::milliseconds RestartDelayOf(uint32_t arg);

// The panel of kind arg % kPanelKinds: echoing, in pieces, in its bootloader, protected...
emu::PanelOptions PanelKind(uint32_t arg);
emu::PanelFault FaultKind(uint32_t arg);
uint32_t FaultArg(emu::PanelFault fault);

}  // namespace zorv::test
