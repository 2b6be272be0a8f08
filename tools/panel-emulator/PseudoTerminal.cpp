#include "PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace zorv::emu {

namespace {

[[noreturn]] void ThrowErrno(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

}  // namespace

PseudoTerminal::PseudoTerminal() {
    FMaster = TUniqueFd(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!FMaster.Valid()) ThrowErrno("posix_openpt");
    if (::grantpt(FMaster.Get()) != 0) ThrowErrno("grantpt");
    if (::unlockpt(FMaster.Get()) != 0) ThrowErrno("unlockpt");
    char name[128];
    if (::ptsname_r(FMaster.Get(), name, sizeof name) != 0) ThrowErrno("ptsname_r");
    FSlavePath = name;

    FSlave = TUniqueFd(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (!FSlave.Valid()) ThrowErrno("open pseudo-terminal slave");
    termios settings{};
    if (::tcgetattr(FSlave.Get(), &settings) != 0) ThrowErrno("tcgetattr");
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B115200);
    if (::tcsetattr(FSlave.Get(), TCSANOW, &settings) != 0) ThrowErrno("tcsetattr");
    struct stat info {};
    if (::fstat(FSlave.Get(), &info) != 0) ThrowErrno("fstat pseudo-terminal slave");
    FSlaveDevice = info.st_rdev;

    const int flags = ::fcntl(FMaster.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(FMaster.Get(), F_SETFL, flags | O_NONBLOCK) != 0) ThrowErrno("fcntl O_NONBLOCK");

    // Added after the emulator's own open, so only the program's opens and closes are seen.
    FUseWatch = TUniqueFd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!FUseWatch.Valid()) ThrowErrno("inotify_init1");
    if (::inotify_add_watch(FUseWatch.Get(), name, IN_OPEN | IN_CLOSE) < 0) ThrowErrno("inotify_add_watch");
}

void PseudoTerminal::FillPanelInput() {
    static const char kFiller[4096] = {};
    // The kernel hands bytes on to the master's side in the background, so room comes back
    // shortly after a fill: fill again until no room has come back for a while (bounded).
    for (int round = 0; round < 100; ++round) {
        // A terminal that refuses a large piece may still take a small one: down to single bytes.
        for (const std::size_t piece : {sizeof kFiller, std::size_t(256), std::size_t(16), std::size_t(1)}) {
            for (;;) {
                const ssize_t n = ::write(FSlave.Get(), kFiller, piece);
                if (n <= 0 && !(n < 0 && errno == EINTR)) break;
            }
        }
        pollfd room{FSlave.Get(), POLLOUT, 0};
        if (::poll(&room, 1, 20) != 1 || room.revents != POLLOUT) return;
    }
}

void PseudoTerminal::DiscardPanelInput() { ::tcflush(FMaster.Get(), TCIFLUSH); }

std::vector<PortUse> PseudoTerminal::TakePortUse() {
    std::vector<PortUse> uses;
    alignas(inotify_event) char buffer[4096];
    ssize_t n;
    while ((n = ::read(FUseWatch.Get(), buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_OPEN) uses.push_back(PortUse::Opened);
            if (event->mask & IN_CLOSE) uses.push_back(PortUse::Closed);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    // Replies are lost when the last open of the port closes. A close that leaves another open
    // (the program's exclusive probe of the port it holds) loses nothing, as on a real port. Two
    // opens read together come as one event, so the count can only err towards discarding.
    for (const auto use : uses) {
        if (use == PortUse::Opened) ++FOpens;
        if (use == PortUse::Closed && (FOpens = std::max(FOpens - 1, 0)) == 0) ::tcflush(FSlave.Get(), TCIFLUSH);
    }
    return uses;
}

}  // namespace zorv::emu
