#pragma once
// Where the device node of port n (COMn) is found on systems whose ports are
// files. Discovery installs the mapping it builds from the device list; until
// then port n is "/dev/ttyS<n-1>".
#include <cstdint>
#include <functional>
#include <string>

namespace zorv {

using TPortPathResolver = std::function<std::string(int32_t PortNumber)>;

// Installs a resolver; an empty one returns to the default. User-interface thread only.
void SetPortPathResolver(TPortPathResolver Resolver);

// The device path of the port; empty when the resolver knows no such port.
std::string PortDevicePath(int32_t PortNumber);

}  // namespace zorv
