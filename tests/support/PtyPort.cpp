#include "PtyPort.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

#include "serial/CommBackendLinux.h"

namespace zorv::test {

PtyPort::PtyPort(int32_t PortNumber) : FPortNumber(PortNumber) {
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0 || grantpt(FMaster) != 0 || unlockpt(FMaster) != 0) throw std::runtime_error("no pseudo-terminal");
    char name[128];
    if (ptsname_r(FMaster, name, sizeof name) != 0) throw std::runtime_error("no pseudo-terminal name");
    FSlavePath = name;
}

PtyPort::~PtyPort() { Unplug(); }

bool PtyPort::Send(const std::string& Bytes) {
    size_t done = 0;
    while (done < Bytes.size()) {
        const ssize_t n = ::write(FMaster, Bytes.data() + done, Bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string PtyPort::ReadSent(size_t Count, int TimeoutMs) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (got.size() < Count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        pollfd p{FMaster, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) break;
        char buffer[4096];
        const ssize_t n = ::read(FMaster, buffer, sizeof buffer);
        if (n <= 0) break;
        got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

void PtyPort::Unplug() {
    if (FMaster >= 0) ::close(FMaster);
    FMaster = -1;
}

PortPaths::PortPaths()
    : FBackend(MakeLinuxCommBackend([this](int32_t PortNumber) {
          auto it = FPaths.find(PortNumber);
          return it == FPaths.end() ? std::string() : it->second;
      })) {
    CommDrv.Backend = FBackend.get();
}

PortPaths::~PortPaths() {
    if (CommDrv.Backend != FBackend.get()) return;
    CommDrvClose(CommDrv);
    CommDrv.Backend = nullptr;
}

int64_t ThreadCpuMicros(TCommHandle ThreadHandle) {
    clockid_t clock;
    timespec t{};
    if (pthread_getcpuclockid(static_cast<pthread_t>(ThreadHandle), &clock) != 0 || clock_gettime(clock, &t) != 0)
        return -1;
    return static_cast<int64_t>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

}  // namespace zorv::test
