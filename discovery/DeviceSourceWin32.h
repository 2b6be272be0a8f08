#pragma once
// The device source of Windows: QueryDosDeviceA, the setup API for friendly
// names, CreateFileA for the probe, and RegisterDeviceNotificationA on the
// main window. The window procedure forwards WM_DEVICECHANGE to
// HandleDeviceChange, which hands it to the registered handler on that thread.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "discovery/DeviceSource.h"

namespace zorv {

class TDeviceSourceWin32 : public IDeviceSource {
public:
    // Window receives the device notifications; it must outlive this object.
    explicit TDeviceSourceWin32(HWND Window);

    std::string QueryDosDevices() override;
    std::unique_ptr<IDeviceInfoSet> GetClassDevs(const std::string& InstancePath) override;
    TPortResult ProbeExclusive(int32_t PortNumber) override;
    void RegisterNotifications(std::function<void(const TDeviceChangeMessage&)> Handler) override;
    // Device names are the system's own on Windows: the root has no meaning here.
    void SetDeviceRoot(const std::string& Root) override;

    // For the window procedure on WM_DEVICECHANGE; the message result, always 0.
    LRESULT HandleDeviceChange(WPARAM wParam, LPARAM lParam);

private:
    HWND FWindow;
    std::function<void(const TDeviceChangeMessage&)> FHandler;
    // A second registration would deliver every message twice.
    bool FRegistered = false;
};

}  // namespace zorv
