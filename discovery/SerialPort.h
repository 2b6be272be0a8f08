#pragma once
#include <cstdint>
#include <string>

namespace zorv {

// One COM port of the computer.
struct TSerialPort {
    int32_t PortNumber = 0;   // n of COMn
    std::string PortName;     // as the system lists it, e.g. COM3
    std::string Product;      // "Tvak" when the port belongs to a panel
    bool Enabled = false;     // could be opened at the last check, or is held open for the panel
};

}  // namespace zorv
