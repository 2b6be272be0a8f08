#include "discovery/DevWatcherLinux.h"

#include <limits.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "discovery/DeviceSource.h"
#include "discovery/SysfsTtyLinux.h"

namespace zorv {
namespace {

// IN_ATTRIB: udev gives a new node its group and mode a moment after the node
// appears, and a port refused until then must be tried again at once.
constexpr uint32_t kDevEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF |
                                IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t kRootEvents = IN_CREATE | IN_MOVED_TO | IN_ONLYDIR;

// Serial ports are named tty… (ttyS0, ttyUSB0, ttyACM0, ttyAMA0) or rfcomm…;
// the many other nodes of dev say nothing about ports.
bool IsTtyName(const char* name) {
    return std::strncmp(name, "tty", 3) == 0 || std::strncmp(name, "rfcomm", 6) == 0;
}

}  // namespace

TDevWatcherLinux::TDevWatcherLinux(const std::string& Root, TOnChange OnChange)
    : FRoot(Root),
      FOnChange(std::move(OnChange)),
      FInotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
      FWake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (!FInotify.Valid() || !FWake.Valid()) throw std::system_error(errno, std::generic_category(), "inotify");
    Arm();
    FThread = std::thread([this] { Run(); });
}

TDevWatcherLinux::~TDevWatcherLinux() {
    const uint64_t one = 1;
    // An eventfd write fails only when its counter would overflow, which leaves it readable anyway.
    (void)!::write(FWake.Get(), &one, sizeof one);
    FThread.join();
}

bool TDevWatcherLinux::WatchDev() {
    FDevWatch = ::inotify_add_watch(FInotify.Get(), DevNodePath(FRoot, "").c_str(), kDevEvents);
    return FDevWatch >= 0;
}

void TDevWatcherLinux::Arm() {
    if (WatchDev()) return;
    FRootWatch = ::inotify_add_watch(FInotify.Get(), FRoot.c_str(), kRootEvents);
    // dev may have appeared between the two calls.
    if (FRootWatch >= 0 && WatchDev()) {
        ::inotify_rm_watch(FInotify.Get(), FRootWatch);
        FRootWatch = -1;
    }
}

void TDevWatcherLinux::Run() {
    for (;;) {
        pollfd fds[2] = {{FInotify.Get(), POLLIN, 0}, {FWake.Get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if ((fds[0].revents & POLLIN) != 0) {
            ReadEvents();
        } else if (fds[0].revents != 0) {
            return;  // the inotify descriptor failed: stop rather than spin
        }
    }
}

void TDevWatcherLinux::ReadEvents() {
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t count = ::read(FInotify.Get(), buffer, sizeof buffer);
        if (count <= 0) return;  // drained (EAGAIN), or nothing more to read
        for (ssize_t offset = 0; offset < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const char* name = event->len > 0 ? event->name : "";
            if ((event->mask & IN_Q_OVERFLOW) != 0) {
                // Events were lost: let the program look again for both directions.
                FOnChange(kDbtDeviceRemoveComplete);
                FOnChange(kDbtDeviceArrival);
            } else if (event->wd == FDevWatch && FDevWatch >= 0) {
                if ((event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0) {
                    // dev itself went away: every port with it. Wait for a new one.
                    ::inotify_rm_watch(FInotify.Get(), FDevWatch);
                    FDevWatch = -1;
                    Arm();
                    FOnChange(kDbtDeviceRemoveComplete);
                    if (FDevWatch >= 0) FOnChange(kDbtDeviceArrival);
                } else if (IsTtyName(name)) {
                    const bool removed = (event->mask & (IN_DELETE | IN_MOVED_FROM)) != 0;
                    FOnChange(removed ? kDbtDeviceRemoveComplete : kDbtDeviceArrival);
                }
            } else if (event->wd == FRootWatch && FRootWatch >= 0 && std::strcmp(name, "dev") == 0) {
                if (WatchDev()) {
                    ::inotify_rm_watch(FInotify.Get(), FRootWatch);
                    FRootWatch = -1;
                    // Nodes may have been made in the new dev before it was watched.
                    FOnChange(kDbtDeviceArrival);
                }
            }
        }
    }
}

}  // namespace zorv
