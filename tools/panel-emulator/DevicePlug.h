#pragma once
// Where a plugged-in emulated panel shows up for the program: under a Linux
// device root (DeviceNode) or as a COM port of a Wine prefix (WinePort).
// Either way the panel behind it is the same pseudo-terminal.
#include <string>

#include "PanelOptions.h"
#include "PseudoTerminal.h"

namespace zorv::emu {

class DevicePlug {
public:
    virtual ~DevicePlug() = default;
    // Presents the pseudo-terminal's slave as the panel's port; throws when it cannot.
    virtual void Plug(const PseudoTerminal& terminal) = 0;
    // Takes the port away again; whatever Plug left behind is removed.
    virtual void Unplug() noexcept = 0;
    // The path that leads the program to the port.
    virtual std::string DevPath() const = 0;
};

}  // namespace zorv::emu
