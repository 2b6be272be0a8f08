// The driver's OS side on POSIX systems: a tty opened exclusively, raw
// termios from the DCB, and a reader blocked in poll() on the port and an
// eventfd that close and the consumer use to wake it.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "foundation/UniqueFdLinux.h"
#include "serial/ComPortSpeed.h"
#include "serial/CommBackendLinux.h"
#include "serial/PortNodePosix.h"

namespace zorv {

namespace {

// The body of the reader thread and its read step.
void CommDrvReadThread(TCommDrv& Drv);
uint32_t CommDrvRead(TCommDrv& Drv, uint8_t* Destination, uint32_t Count);

int Fd(TCommHandle Handle) { return Handle == kCommHandleNone ? -1 : static_cast<int>(Handle); }

bool StandardSpeed(uint32_t BaudRate, speed_t& Speed) {
    static const struct {
        uint32_t Baud;
        speed_t Code;
    } kSpeeds[] = {{110, B110},       {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
                   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
                   {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};
    for (const auto& s : kSpeeds) {
        if (s.Baud == BaudRate) {
            Speed = s.Code;
            return true;
        }
    }
    return false;
}

bool SetFrame(termios& T, const TDCB& Dcb) {
    T.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    T.c_cflag |= CLOCAL | CREAD;
    switch (Dcb.ByteSize) {
        case 5: T.c_cflag |= CS5; break;
        case 6: T.c_cflag |= CS6; break;
        case 7: T.c_cflag |= CS7; break;
        case 8: T.c_cflag |= CS8; break;
        default: return false;
    }
    switch (Dcb.Parity) {
        case 0: break;
        case 1: T.c_cflag |= PARENB | PARODD; break;
        case 2: T.c_cflag |= PARENB; break;
        case 3: T.c_cflag |= PARENB | CMSPAR | PARODD; break;
        case 4: T.c_cflag |= PARENB | CMSPAR; break;
        default: return false;
    }
    switch (Dcb.StopBits) {
        case 0: break;
        case 1:  // one and a half does not exist here; two is the nearest
        case 2: T.c_cflag |= CSTOPB; break;
        default: return false;
    }
    return true;
}

// 0, or the system's error code of the setting the port refused.
int ApplyDcb(int Port, const TDCB& Dcb) {
    termios t{};
    if (tcgetattr(Port, &t) != 0) return errno;
    cfmakeraw(&t);
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    // A frame that termios cannot express is refused as the system refuses a bad argument.
    if (!SetFrame(t, Dcb)) return EINVAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    speed_t speed = B9600;
    const bool standard = StandardSpeed(Dcb.BaudRate, speed);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    if (tcsetattr(Port, TCSANOW, &t) != 0) return errno;
    if (standard || SetCustomSpeed(Port, Dcb.BaudRate)) return 0;
    return errno;
}

void DropModemLines(int Port) {
    // Pseudo-terminals have no modem lines; the failure there changes nothing.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(Port, TIOCMBIC, &lines);
}

void Signal(TCommHandle Wake) {
    const uint64_t one = 1;
    if (Wake != kCommHandleNone) (void)!::write(Fd(Wake), &one, sizeof one);
}

void DrainWake(TCommHandle Wake) {
    uint64_t count = 0;
    (void)!::read(Fd(Wake), &count, sizeof count);
}

class LinuxCommBackend : public ICommBackend {
public:
    explicit LinuxCommBackend(TPortPathResolver DevicePath) : FDevicePath(std::move(DevicePath)) {}

    TPortResult Open(TCommDrv& Drv) override {
        const std::string path = FDevicePath(Drv.PortNumber);
        TPortResult failure;
        TUniqueFd port(OpenPortNode(path, failure));
        if (!port.Valid()) return failure;
        if (const int error = ApplyDcb(port.Get(), Drv.DCB)) return PortFailure(error, path);
        DropModemLines(port.Get());
        // Stale input only: close has already drained or dropped our output, and on a
        // pseudo-terminal an output flush would discard what the device has yet to read.
        tcflush(port.Get(), TCIFLUSH);
        TUniqueFd wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        if (!wake.Valid()) return PortFailure(errno, path);
        // Set last: on a pseudo-terminal it outlives the descriptor unless cleared.
        if (ioctl(port.Get(), TIOCEXCL) != 0) return PortFailure(errno, path);
        Drv.Handle = static_cast<TCommHandle>(port.Release());
        Drv.WakeHandle = static_cast<TCommHandle>(wake.Release());
        return {};
    }

    TPortResult StartReader(TCommDrv& Drv) override {
        try {
            FReader = std::thread([&Drv] { CommDrvReadThread(Drv); });
        } catch (const std::system_error& e) {
            return PortFailure(static_cast<uint32_t>(e.code().value()), FDevicePath(Drv.PortNumber));
        }
        Drv.ThreadHandle = static_cast<TCommHandle>(FReader.native_handle());
        return {};
    }

    void StopReader(TCommDrv& Drv) override {
        // close() would not wake a thread blocked in poll(); the eventfd does.
        Signal(Drv.WakeHandle);
        if (FReader.joinable()) FReader.join();
    }

    void WakeReader(TCommDrv& Drv) override { Signal(Drv.WakeHandle); }

    void Close(TCommDrv& Drv) override {
        const int port = Fd(Drv.Handle);
        ioctl(port, TIOCNXCL);
        // The last command before a close is often "reset" or "START_MAIN": let it
        // leave before discarding anything. Output that a stalled device never
        // takes is dropped after the deadline, so close() cannot block on it.
        tcflush(port, DrainOutput(port) ? TCIFLUSH : TCIOFLUSH);
        ::close(port);
        ::close(Fd(Drv.WakeHandle));
        Drv.Handle = kCommHandleNone;
        Drv.WakeHandle = kCommHandleNone;
    }

    uint32_t Write(TCommHandle Handle, const uint8_t* Bytes, uint32_t Count) override {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteDeadlineMs);
        uint32_t done = 0;
        while (done < Count) {
            const ssize_t written = ::write(Fd(Handle), Bytes + done, Count - done);
            if (written > 0) {
                done += static_cast<uint32_t>(written);
            } else if (written < 0 && errno == EINTR) {
                continue;
            } else if (written < 0 && errno == EAGAIN) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0 || !WaitWritable(Fd(Handle), static_cast<int>(left.count()))) break;
            } else {
                break;
            }
        }
        return done;
    }

    bool Lost(TCommHandle Handle) override {
        pollfd p{Fd(Handle), POLLIN, 0};
        int r;
        do {
            r = poll(&p, 1, 0);
        } while (r < 0 && errno == EINTR);
        // A vanished device hangs its terminal up, and the hang-up stays.
        return r < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    }

private:
    static bool DrainOutput(int Port) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(kCloseDrainMs);
        for (;;) {
            int queued = 0;
            if (ioctl(Port, TIOCOUTQ, &queued) != 0 || queued <= 0) return true;
            if (Clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    static bool WaitWritable(int Port, int TimeoutMs) {
        pollfd p{Port, POLLOUT, 0};
        int r;
        do {
            r = poll(&p, 1, TimeoutMs);
        } while (r < 0 && errno == EINTR);
        return r > 0 && (p.revents & POLLOUT) && !(p.revents & (POLLERR | POLLHUP | POLLNVAL));
    }

    TPortPathResolver FDevicePath;
    std::thread FReader;
};

// Bytes waiting in the port's input queue; false when the port cannot tell (hung up).
bool BytesWaiting(TCommDrv& Drv) {
    int waiting = 0;
    if (ioctl(Fd(Drv.Handle), FIONREAD, &waiting) != 0 || waiting < 0) return false;
    Drv.ComStat.cbInQue = static_cast<uint32_t>(waiting);
    return true;
}

TCommReadStep ReadStep(TCommDrv& Drv) {
    return [&Drv](uint8_t* destination, uint32_t count) { return CommDrvRead(Drv, destination, count); };
}

// One pass over a readable port; false when the port is gone (hung up, end of file).
bool ReceiveWaiting(TCommDrv& Drv, short Events) {
    if (Events & (POLLHUP | POLLERR | POLLNVAL)) {
        if (BytesWaiting(Drv) && Drv.ComStat.cbInQue > 0) CommDrvReceive(Drv, Drv.ComStat.cbInQue, ReadStep(Drv));
        return false;
    }
    if (!(Events & POLLIN)) return true;
    if (!BytesWaiting(Drv)) return false;
    if (Drv.ComStat.cbInQue > 0) {
        CommDrvReceive(Drv, Drv.ComStat.cbInQue, ReadStep(Drv));
        return true;
    }
    // Readable with nothing waiting: a read tells a late byte from end of file.
    return CommDrvReceive(Drv, 1, ReadStep(Drv)) > 0 || Drv.Terminated.load();
}

void CommDrvReadThread(TCommDrv& Drv) {
    bool gone = false;
    while (!Drv.Terminated.load()) {
        // A hung-up port stays readable for ever, and poll() is level-triggered so
        // a full ring would keep it readable too: both wait for the wake-up alone.
        const bool full = Drv.ReceivedBytes.load(std::memory_order_acquire) >= Drv.InpBufSize;
        pollfd fds[2] = {{Fd(Drv.WakeHandle), POLLIN, 0}, {Fd(Drv.Handle), POLLIN, 0}};
        const nfds_t count = (gone || full) ? 1 : 2;
        if (poll(fds, count, -1) < 0) {
            if (errno == EINTR) continue;
            if (count == 1) break;
            gone = true;
            continue;
        }
        if (fds[0].revents & POLLIN) DrainWake(Drv.WakeHandle);
        if (Drv.Terminated.load()) break;
        if (count == 2 && !ReceiveWaiting(Drv, fds[1].revents)) gone = true;
    }
}

uint32_t CommDrvRead(TCommDrv& Drv, uint8_t* Destination, uint32_t Count) {
    ssize_t got;
    do {
        got = ::read(Fd(Drv.Handle), Destination, Count);
    } while (got < 0 && errno == EINTR);
    return got > 0 ? static_cast<uint32_t>(got) : 0;
}

}  // namespace

std::unique_ptr<ICommBackend> MakeLinuxCommBackend(TPortPathResolver DevicePath) {
    return std::make_unique<LinuxCommBackend>(std::move(DevicePath));
}

}  // namespace zorv
