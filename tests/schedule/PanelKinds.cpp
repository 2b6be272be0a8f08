#include "PanelKinds.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace zorv::test {

uint32_t PanelArg(PanelKindId kind, std::chrono::milliseconds restart) {
    return static_cast<uint32_t>(kind) + kPanelKinds * static_cast<uint32_t>(restart.count() / kRestartStepMs - 1);
}

std::chrono::milliseconds RestartDelayOf(uint32_t arg) {
    return std::chrono::milliseconds(kRestartStepMs * (1 + (arg / kPanelKinds) % kRestartSteps));
}

emu::PanelOptions PanelKind(uint32_t arg) {
    emu::PanelOptions options;
    switch (static_cast<PanelKindId>(arg % kPanelKinds)) {
        case PanelKindId::Plain: break;
        case PanelKindId::Echo: options.Echo = true; break;
        case PanelKindId::EchoChangedCase: options.EchoChangedCase = true; break;
        case PanelKindId::InPieces: options.ReplyChunkSize = 3; break;
        case PanelKindId::InBootloader: options.StartInBootloader = true; break;
        case PanelKindId::NoPassword: options.Password.reset(); break;
        case PanelKindId::OtherPassword: options.Password = std::string("1111"); break;
        case PanelKindId::OldFirmware: options.FirmwareVersion = "5.1.9.0"; break;
        case PanelKindId::NewerFirmware: options.FirmwareVersion = "6.0.1.1"; break;
        case PanelKindId::NoSerialNumber: options.SerialNumber = "NOT SET"; break;
        case PanelKindId::StuckInBootloader: options.StartInBootloader = options.BootloaderStuck = true; break;
    }
    return options;
}

namespace {
// A schedule's faults: Arg 0 stops the one set.
const emu::PanelFault kFaults[] = {emu::PanelFault::None, emu::PanelFault::Mute, emu::PanelFault::Garbage,
                                   emu::PanelFault::ValueError, emu::PanelFault::Unasked};
}  // namespace

emu::PanelFault FaultKind(uint32_t arg) { return kFaults[arg % std::size(kFaults)]; }

uint32_t FaultArg(emu::PanelFault fault) {
    return static_cast<uint32_t>(std::find(std::begin(kFaults), std::end(kFaults), fault) - std::begin(kFaults));
}

}  // namespace zorv::test
