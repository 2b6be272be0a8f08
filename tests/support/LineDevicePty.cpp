#include "LineDevice.h"

#include <fcntl.h>

#include "PtyPort.h"
#include "foundation/UniqueFdLinux.h"

namespace zorv::test {

namespace {
constexpr int32_t kPort = 5;
}

struct LineDevice::TLine {
    PtyPort Pty{kPort};
    PortPaths Paths;
    // The device keeps its end open while the driver closes and opens the port, as a
    // panel does and as the relay under Wine does.
    TUniqueFd Held{::open(Pty.SlavePath().c_str(), O_RDWR | O_NOCTTY)};
};

LineDevice::LineDevice() : FLine(new TLine) { FLine->Paths.Add(FLine->Pty); }
LineDevice::~LineDevice() = default;

int32_t LineDevice::PortNumber() const { return kPort; }
ICommBackend& LineDevice::Backend() { return FLine->Paths.Backend(); }
bool LineDevice::Send(const std::string& Bytes) { return FLine->Pty.Send(Bytes); }
std::string LineDevice::ReadSent(size_t Count, int TimeoutMs) { return FLine->Pty.ReadSent(Count, TimeoutMs); }
void LineDevice::HangUp() { FLine->Pty.Unplug(); }

}  // namespace zorv::test
