#pragma once
// Chooses among the plugs, so it sits above all of them.
#include <memory>

#include "DevicePlug.h"
#include "PanelOptions.h"

namespace zorv::emu {

// The plug the options ask for: a Wine COM port when they name one, a device root otherwise.
// Throws std::invalid_argument as the plug's constructor does.
std::unique_ptr<DevicePlug> MakeDevicePlug(const PanelOptions& options);

}  // namespace zorv::emu
