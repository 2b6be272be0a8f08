#pragma once
// Watches <root>/dev for tty nodes and links created, removed or given new
// permissions (an arrival: the port may have become accessible), on a thread
// of its own that blocks in poll() on the inotify descriptor and a wake
// descriptor. When <root>/dev does not exist yet, <root> is watched until it
// appears. OnChange runs on the watcher thread with kDbtDeviceArrival or
// kDbtDeviceRemoveComplete; destruction wakes the thread and joins it.
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "foundation/UniqueFdLinux.h"

namespace zorv {

class TDevWatcherLinux {
public:
    using TOnChange = std::function<void(uint32_t WParam)>;

    // Throws std::system_error when the system gives no inotify or wake descriptor.
    TDevWatcherLinux(const std::string& Root, TOnChange OnChange);
    ~TDevWatcherLinux();
    TDevWatcherLinux(const TDevWatcherLinux&) = delete;
    TDevWatcherLinux& operator=(const TDevWatcherLinux&) = delete;

private:
    void Arm();
    bool WatchDev();
    void Run();
    void ReadEvents();

    const std::string FRoot;
    const TOnChange FOnChange;
    TUniqueFd FInotify;
    TUniqueFd FWake;
    // Touched only by the constructor before the thread starts, then by the thread.
    int FDevWatch = -1;
    int FRootWatch = -1;
    std::thread FThread;
};

}  // namespace zorv
