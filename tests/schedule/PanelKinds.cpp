#include "PanelKinds.h"

#include <string>

namespace zorv::test {

emu::PanelOptions PanelKind(uint32_t arg) {
    emu::PanelOptions options;
    switch (arg % kPanelKinds) {
        case 1: options.Echo = true; break;
        case 2: options.EchoChangedCase = true; break;
        case 3: options.ReplyChunkSize = 3; break;
        case 4: options.StartInBootloader = true; break;
        case 5: options.Password.reset(); break;
        case 6: options.Password = std::string("1111"); break;
        case 7: options.FirmwareVersion = "5.1.9.0"; break;
        case 8: options.FirmwareVersion = "6.0.1.1"; break;
        case 9: options.SerialNumber = "NOT SET"; break;
        case 10: options.StartInBootloader = options.BootloaderStuck = true; break;
        default: break;
    }
    return options;
}

emu::PanelFault FaultKind(uint32_t arg) {
    static const emu::PanelFault kFaults[] = {emu::PanelFault::None, emu::PanelFault::Mute, emu::PanelFault::Garbage,
                                              emu::PanelFault::ValueError, emu::PanelFault::Unasked};
    return kFaults[arg % 5];
}

}  // namespace zorv::test
