// The driver on real pseudo-terminals, what only POSIX shows: exclusivity,
// line settings, the reader's thread and output drained before close. The
// contract shared with every backend is in ComPortDrvContractTest.cpp.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "PtyPort.h"
#include "serial/CommBackend.h"
#include "RingFixture.h"
#include "TempDir.h"

namespace zorv::test {
namespace {

constexpr int32_t kPort = 5;

size_t ThreadCount() {
    size_t count = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') ++count;
        closedir(dir);
    }
    return count;
}

// Whether the path can be opened and locked exclusively now, as a second program would.
bool CanTakeExclusively(const std::string& Path) {
    const int fd = ::open(Path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return locked;
}

void SleepMs(int Ms) { std::this_thread::sleep_for(std::chrono::milliseconds(Ms)); }

class ComPortDrvPtyTest : public RingFixture {
protected:
    ComPortDrvPtyTest() {
        Paths.Add(Pty);
        CommDrv.PortNumber = kPort;
        CommDrv.DCB = TDCB{};
        CommDrv.DCB.BaudRate = 115200;
        CommDrv.DCB.ByteSize = 8;
        CommDrv.DCB.Flags = 1;
        UseRing(4096);
    }

    PtyPort Pty{kPort};
    PortPaths Paths;
};

// A panel unplugged and back before the program looks lists the same port: only the
// port held open can tell that its device went.
TEST_F(ComPortDrvPtyTest, APortWhoseDeviceWentIsLostUntilClosed) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    EXPECT_FALSE(CommDrv.Backend->Lost(CommDrv.Handle));
    Pty.Unplug();
    EXPECT_TRUE(CommDrv.Backend->Lost(CommDrv.Handle));
    CommDrvClose(CommDrv);
}

TEST_F(ComPortDrvPtyTest, CloseEndsTheReaderSoNoneSurvivesAReopen) {
    // A first open and close lets a sanitizer start its own helper thread before counting.
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    CommDrvClose(CommDrv);
    const size_t threads = ThreadCount();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(CommDrvOpen(CommDrv));
        EXPECT_EQ(ThreadCount(), threads + 1);
        CommDrvClose(CommDrv);
        EXPECT_EQ(ThreadCount(), threads);
    }
    // Bytes sent after close reach no ring: the ring may be freed now.
    UseRing(16);
    ASSERT_TRUE(Pty.Send("late"));
    SleepMs(50);
    EXPECT_EQ(CommDrv.ReceivedBytes.load(), 0u);
    EXPECT_EQ(RingText(0, 4), "....");
}

// The open of port n failed with the system's reason, which names the device.
void ExpectFailure(TPortOutcome Outcome, int Code, const std::string& Path) {
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
    EXPECT_EQ(CommDrv.OpenResult.Outcome, Outcome) << Path;
    EXPECT_EQ(CommDrv.OpenResult.Code, static_cast<uint32_t>(Code)) << Path;
    EXPECT_EQ(CommDrv.OpenResult.Text, std::strerror(Code)) << Path;
    EXPECT_EQ(CommDrv.OpenResult.Path, Path);
}

TEST_F(ComPortDrvPtyTest, MissingDeviceFailsWithHandleNone) {
    CommDrv.PortNumber = 77;  // the resolver knows no such port
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    ExpectFailure(poGone, ENOENT, "");
    Paths.Add(78, "/nonexistent/ttyACM9");
    CommDrv.PortNumber = 78;
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    ExpectFailure(poGone, ENOENT, "/nonexistent/ttyACM9");
}

TEST_F(ComPortDrvPtyTest, APathThatIsNoTerminalFailsAndOneThatIsNoDeviceIsNotOpened) {
    Paths.Add(79, "/dev/null");
    CommDrv.PortNumber = 79;
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    ExpectFailure(poFailed, ENOTTY, "/dev/null");
    // A file or FIFO in the node's place is refused before the terminal settings are tried.
    TempDir dir;
    dir.Write("ttyACM0", "");
    ASSERT_EQ(::mkfifo(dir.File("ttyACM1").c_str(), 0600), 0);
    for (const std::string& path : {dir.File("ttyACM0"), dir.File("ttyACM1")}) {
        Paths.Add(79, path);
        EXPECT_FALSE(CommDrvOpen(CommDrv));
        ExpectFailure(poGone, ENODEV, path);
    }
}

TEST_F(ComPortDrvPtyTest, PortHeldByAnotherDescriptorFails) {
    const int holder = ::open(Pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    ExpectFailure(poBusy, EBUSY, Pty.SlavePath());
    ::close(holder);
    EXPECT_TRUE(CommDrvOpen(CommDrv));
    EXPECT_TRUE(CommDrv.OpenResult);
}

// The terminal's exclusive flag of the slave; root may open it regardless, others get EBUSY.
bool SlaveMarkedExclusive(const std::string& Path) {
    const int fd = ::open(Path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno == EBUSY;
    int exclusive = 0;
    ioctl(fd, TIOCGEXCL, &exclusive);
    ::close(fd);
    return exclusive != 0;
}

TEST_F(ComPortDrvPtyTest, AnOpenPortIsExclusiveAndFreeAgainAfterClose) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    EXPECT_FALSE(CanTakeExclusively(Pty.SlavePath()));
    EXPECT_TRUE(SlaveMarkedExclusive(Pty.SlavePath()));
    CommDrvClose(CommDrv);
    EXPECT_TRUE(CanTakeExclusively(Pty.SlavePath()));
    // On a pseudo-terminal the flag would outlive the descriptor if close left it set.
    EXPECT_FALSE(SlaveMarkedExclusive(Pty.SlavePath()));
}

// A pseudo-terminal always reports 8 data bits without parity, so only speed,
// stop bits, flow control and raw mode can be seen here.
TEST_F(ComPortDrvPtyTest, LineSettingsReachTheTerminal) {
    CommDrv.DCB.BaudRate = 19200;
    CommDrv.DCB.StopBits = 2;
    // Opened before the driver's exclusive open, which does not shut out descriptors already open.
    const int fd = ::open(Pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    ::close(fd);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B19200));
    EXPECT_EQ(cfgetispeed(&t), speed_t(B19200));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_oflag & OPOST);
}

TEST_F(ComPortDrvPtyTest, SpeedsOutsideTheTermiosTableOpen) {
    for (uint32_t baud : {7200u, 14400u, 56000u, 128000u, 256000u}) {
        CommDrv.DCB.BaudRate = baud;
        EXPECT_TRUE(CommDrvOpen(CommDrv)) << baud;
        CommDrvClose(CommDrv);
    }
}

TEST_F(ComPortDrvPtyTest, RejectedSettingFailsAndLeavesThePortFree) {
    for (uint8_t bits : {0, 4, 9}) {
        CommDrv.DCB.ByteSize = bits;
        EXPECT_FALSE(CommDrvOpen(CommDrv)) << int(bits);
        EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
    }
    ExpectFailure(poFailed, EINVAL, Pty.SlavePath());
    CommDrv.DCB.ByteSize = 8;
    CommDrv.DCB.Parity = 5;
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    CommDrv.DCB.Parity = 0;
    CommDrv.DCB.StopBits = 3;
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    EXPECT_TRUE(CanTakeExclusively(Pty.SlavePath()));
}

}  // namespace
}  // namespace zorv::test
