#pragma once
// What discovery needs of the system: the device-name list, the friendly names
// of present devices with a given instance path, an exclusive-open probe, and
// notifications of arrivals and removals on the user-interface thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "serial/PortResult.h"

namespace zorv {

// The values of WM_DEVICECHANGE (DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE,
// DBT_DEVTYP_DEVICEINTERFACE), named apart from the Windows macros of <dbt.h>.
constexpr uint32_t kDbtDeviceArrival = 0x8000;
constexpr uint32_t kDbtDeviceRemoveComplete = 0x8004;
constexpr uint32_t kDbtDevTypDeviceInterface = 5;

// A WM_DEVICECHANGE message: its wParam and the device type of the header its lParam points to.
struct TDeviceChangeMessage {
    uint32_t WParam = 0;
    uint32_t DeviceType = 0;
};

// The present devices of one instance path, enumerated by index.
class IDeviceInfoSet {
public:
    virtual ~IDeviceInfoSet() = default;
    // False after the last element.
    virtual bool EnumDeviceInfo(uint32_t Index) = 0;
    // The friendly name of element Index; empty when it has none.
    virtual std::string FriendlyName(uint32_t Index) = 0;
};

class IDeviceSource {
public:
    virtual ~IDeviceSource() = default;
    // All device names, each ended by NUL, the list ended by a second NUL.
    // Throws EOSError with the system's text on failure.
    virtual std::string QueryDosDevices() = 0;
    // The present devices with this instance path (compared without regard to case);
    // nullptr when the set cannot be had.
    virtual std::unique_ptr<IDeviceInfoSet> GetClassDevs(const std::string& InstancePath) = 0;
    // Whether COMn can be opened exclusively now, and the system's reason when
    // not; the port is released at once.
    virtual TPortResult ProbeExclusive(int32_t PortNumber) = 0;
    // Starts delivering arrivals and removals to Handler on the user-interface thread;
    // a second call replaces the handler.
    virtual void RegisterNotifications(std::function<void(const TDeviceChangeMessage&)> Handler) = 0;
    // Where device nodes and their descriptions are found ("/" on a real system);
    // the list, the probe and the notifications follow the new root at once.
    virtual void SetDeviceRoot(const std::string& Root) = 0;
};

}  // namespace zorv
