#include "DevicePlugFactory.h"

#include "DeviceNode.h"
#include "WinePort.h"

namespace zorv::emu {

std::unique_ptr<DevicePlug> MakeDevicePlug(const PanelOptions& options) {
    if (options.Wine) return std::make_unique<WinePort>(*options.Wine, options.Usb);
    return std::make_unique<DeviceNode>(options.DeviceRoot, options.Usb);
}

}  // namespace zorv::emu
