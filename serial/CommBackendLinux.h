#pragma once
// The port driver's OS side on Linux: a tty opened exclusively, raw termios
// from the DCB, and a reader thread blocked in poll().
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "serial/CommBackend.h"

namespace zorv {

// The device node of port n (COMn); empty when there is no such port.
using TPortPathResolver = std::function<std::string(int32_t PortNumber)>;

// Finds each port's node through DevicePath, which the device list provides.
std::unique_ptr<ICommBackend> MakeLinuxCommBackend(TPortPathResolver DevicePath);

}  // namespace zorv
