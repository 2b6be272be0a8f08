#include "PortClient.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace zorv::test {

namespace {

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

PortClient::PortClient(const std::string& path) {
    FFd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    EXPECT_GE(FFd, 0) << "cannot open " << path;
    if (FFd < 0) return;
    termios settings{};
    ::tcgetattr(FFd, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(FFd, TCSANOW, &settings);
}

PortClient::~PortClient() {
    if (FFd >= 0) ::close(FFd);
}

void PortClient::Send(const std::string& command) { WriteRaw(command + "\r\n"); }

void PortClient::WriteRaw(const std::string& bytes) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(FFd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        pollfd fd{FFd, POLLOUT, 0};
        if (::poll(&fd, 1, RemainingMs(deadline)) <= 0 || (fd.revents & (POLLHUP | POLLERR))) {
            ADD_FAILURE() << "write to the port did not complete";
            return;
        }
    }
}

std::optional<std::string> PortClient::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (!FPending.empty() && FPending.front() == '\n') FPending.erase(0, 1);
        const auto cr = FPending.find('\r');
        if (cr != std::string::npos) {
            std::string line = FPending.substr(0, cr);
            FPending.erase(0, cr + 1);
            FReadsOfLastLine = FReads;
            FReads = 0;
            return line;
        }
        pollfd fd{FFd, POLLIN, 0};
        if (::poll(&fd, 1, RemainingMs(deadline)) <= 0) return std::nullopt;
        char buffer[512];
        const ssize_t n = ::read(FFd, buffer, sizeof buffer);
        if (n <= 0) return std::nullopt;
        ++FReads;
        FPending.append(buffer, static_cast<std::size_t>(n));
    }
}

bool PortClient::WaitHangUp(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        pollfd fd{FFd, POLLIN, 0};
        if (::poll(&fd, 1, RemainingMs(deadline)) <= 0) return false;
        if (fd.revents & POLLHUP) return true;
        char buffer[512];
        const ssize_t n = ::read(FFd, buffer, sizeof buffer);
        // A hang-up that comes between the poll and the read shows in the read.
        if (n == 0 || (n < 0 && errno == EIO)) return true;
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    }
}

}  // namespace zorv::test
