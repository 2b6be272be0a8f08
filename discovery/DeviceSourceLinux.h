#pragma once
// The device source of Linux: serial ports from <root>/sys/class/tty named
// COM<n> (mapping in TtyPortNumbers.h), USB identity and friendly names from
// sysfs, the exclusive-open probe by flock, and arrivals and removals from
// inotify on <root>/dev, handed to the user-interface thread through the
// message loop. Its DevicePath is where the serial driver finds port n.
#include <memory>
#include <string>

#include "discovery/DeviceSource.h"
#include "foundation/MessageLoop.h"

namespace zorv {

class TTtyPortNumbers;
class TDevWatcherLinux;

class TDeviceSourceLinux : public IDeviceSource {
public:
    explicit TDeviceSourceLinux(IMessageLoop& Loop, const std::string& Root = "/");
    ~TDeviceSourceLinux() override;
    TDeviceSourceLinux(const TDeviceSourceLinux&) = delete;
    TDeviceSourceLinux& operator=(const TDeviceSourceLinux&) = delete;

    std::string QueryDosDevices() override;
    std::unique_ptr<IDeviceInfoSet> GetClassDevs(const std::string& InstancePath) override;
    // The driver's exclusive open of the node (OpenPortNode), released at once.
    // Never TIOCEXCL: on a pseudo-terminal it would outlive the probe.
    TPortResult ProbeExclusive(int32_t PortNumber) override;
    void RegisterNotifications(std::function<void(const TDeviceChangeMessage&)> Handler) override;
    // Re-arms the watch for the new root.
    void SetDeviceRoot(const std::string& Root) override;

    // <root>/dev/<tty> of COMn; empty when no tty has that number. User-interface thread.
    std::string DevicePath(int32_t PortNumber) const;

private:
    using THandler = std::function<void(const TDeviceChangeMessage&)>;

    void StartWatcher();

    IMessageLoop& FLoop;
    std::string FRoot;
    std::shared_ptr<TTtyPortNumbers> FNumbers;
    // Shared with the functions posted to the user-interface thread, which may run after this object is gone.
    std::shared_ptr<THandler> FHandler;
    std::unique_ptr<TDevWatcherLinux> FWatcher;
};

}  // namespace zorv
