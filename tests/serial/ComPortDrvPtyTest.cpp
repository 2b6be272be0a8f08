// The driver on real pseudo-terminals: opening, exclusivity, line settings,
// the reader filling the ring, close and unplug.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <future>
#include <thread>

#include "PtyPort.h"
#include "RingFixture.h"

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

    bool WaitReceived(uint32_t Count) {
        return WaitFor([&] { return CommDrv.ReceivedBytes.load() == Count; });
    }

    // Reader CPU time over a real wait; the wait only bounds the measurement.
    int64_t ReaderCpuOver(int Ms) {
        const int64_t before = ThreadCpuMicros(CommDrv.ThreadHandle);
        SleepMs(Ms);
        return ThreadCpuMicros(CommDrv.ThreadHandle) - before;
    }

    PtyPort Pty{kPort};
    PortPaths Paths;
};

TEST_F(ComPortDrvPtyTest, OpensClosesAndReopens) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    EXPECT_NE(CommDrv.Handle, kCommHandleNone);
    CommDrvClose(CommDrv);
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
    CommDrvClose(CommDrv);
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);

    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Pty.Send("again"));
    ASSERT_TRUE(WaitReceived(5));
    EXPECT_EQ(Unread(), "again");
}

TEST_F(ComPortDrvPtyTest, BytesWrittenRightBeforeCloseStillReachTheDevice) {
    // "reset" and "START_MAIN" are followed at once by a close. The device side
    // keeps the line open, as a panel on a pseudo-terminal does.
    const int held = ::open(Pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(CommDrvOpen(CommDrv));
        const std::string command = "reset\r\n";
        EXPECT_EQ(CommDrvWrite(CommDrv.Handle, reinterpret_cast<const uint8_t*>(command.data()),
                               static_cast<uint32_t>(command.size())),
                  command.size());
        CommDrvClose(CommDrv);
        EXPECT_EQ(Pty.ReadSent(command.size(), 1000), command) << "round " << i;
    }
    ::close(held);
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

TEST_F(ComPortDrvPtyTest, MissingDeviceFailsWithHandleNone) {
    CommDrv.PortNumber = 77;  // the resolver knows no such port
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
    Paths.Add(78, "/nonexistent/ttyACM9");
    CommDrv.PortNumber = 78;
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
}

TEST_F(ComPortDrvPtyTest, APathThatIsNoTerminalFails) {
    Paths.Add(79, "/dev/null");
    CommDrv.PortNumber = 79;
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
}

TEST_F(ComPortDrvPtyTest, PortHeldByAnotherDescriptorFails) {
    const int holder = ::open(Pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
    ::close(holder);
    EXPECT_TRUE(CommDrvOpen(CommDrv));
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
    CommDrv.DCB.ByteSize = 8;
    CommDrv.DCB.Parity = 5;
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    CommDrv.DCB.Parity = 0;
    CommDrv.DCB.StopBits = 3;
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    EXPECT_TRUE(CanTakeExclusively(Pty.SlavePath()));
}

TEST_F(ComPortDrvPtyTest, BytesArriveInTheRingInOrder) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    std::string sent;
    for (int i = 0; i < 1000; ++i) sent += static_cast<char>('0' + i % 75);
    ASSERT_TRUE(Pty.Send(sent.substr(0, 300)));
    ASSERT_TRUE(Pty.Send(sent.substr(300)));
    ASSERT_TRUE(WaitReceived(1000));
    EXPECT_EQ(Unread(), sent);
}

TEST_F(ComPortDrvPtyTest, BytesAcrossTheRingEndAreStoredInTwoPieces) {
    UseRing(16);
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Pty.Send("0123456789"));
    ASSERT_TRUE(WaitReceived(10));
    Take(10);
    ASSERT_TRUE(Pty.Send("ABCDEFGHIJ"));
    ASSERT_TRUE(WaitReceived(10));
    EXPECT_EQ(RingText(10, 6), "ABCDEF");
    EXPECT_EQ(RingText(0, 4), "GHIJ");
}

TEST_F(ComPortDrvPtyTest, BytesEndingExactlyAtTheRingEnd) {
    UseRing(16);
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Pty.Send("0123456789"));
    ASSERT_TRUE(WaitReceived(10));
    Take(10);
    ASSERT_TRUE(Pty.Send("abcdef"));
    ASSERT_TRUE(WaitReceived(6));
    EXPECT_EQ(RingText(10, 6), "abcdef");
    ASSERT_TRUE(Pty.Send("xyz"));
    ASSERT_TRUE(WaitReceived(9));
    EXPECT_EQ(RingText(0, 3), "xyz");
}

TEST_F(ComPortDrvPtyTest, AFullRingReadsNothingAndResumesWhenSpaceIsFreed) {
    UseRing(8);
    std::atomic<int> notified{0};
    CommDrv.OnReceived = [&] { ++notified; };
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Pty.Send("0123456789AB"));
    ASSERT_TRUE(WaitReceived(8));
    const int notifiedWhenFull = notified.load();
    // The port stays readable while the ring is full; the reader must not spin on it.
    EXPECT_LT(ReaderCpuOver(200), 20000);
    EXPECT_EQ(Unread(), "01234567");
    EXPECT_EQ(notified.load(), notifiedWhenFull);

    Take(8);
    ASSERT_TRUE(Pty.Send("CD"));
    ASSERT_TRUE(WaitReceived(6));
    EXPECT_EQ(Unread(), "89ABCD");
}

TEST_F(ComPortDrvPtyTest, CloseWakesABlockedReaderPromptly) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    SleepMs(20);
    auto closing = std::async(std::launch::async, [] { CommDrvClose(CommDrv); });
    ASSERT_EQ(closing.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
}

TEST_F(ComPortDrvPtyTest, UnplugLeavesTheReaderIdleUntilClose) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Pty.Send("ab"));
    ASSERT_TRUE(WaitReceived(2));
    Pty.Unplug();
    SleepMs(20);
    EXPECT_LT(ReaderCpuOver(300), 30000);
    const uint8_t bytes[] = {'x', '\r', '\n'};
    EXPECT_EQ(CommDrvWrite(CommDrv.Handle, bytes, 3), 0u);
    auto closing = std::async(std::launch::async, [] { CommDrvClose(CommDrv); });
    ASSERT_EQ(closing.wait_for(std::chrono::seconds(5)), std::future_status::ready);
}

TEST_F(ComPortDrvPtyTest, AnEmptyRingStoresNothingAndStaysIdle) {
    UseRing(0);
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Pty.Send("abc"));
    EXPECT_LT(ReaderCpuOver(200), 20000);
    EXPECT_EQ(CommDrv.ReceivedBytes.load(), 0u);
}

TEST_F(ComPortDrvPtyTest, WritesReachTheLine) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    const std::string line = "VERSION?\r\n";
    EXPECT_EQ(CommDrvWrite(CommDrv.Handle, reinterpret_cast<const uint8_t*>(line.data()), 10), 10u);
    EXPECT_EQ(Pty.ReadSent(10), line);
    EXPECT_EQ(CommDrvWrite(kCommHandleNone, reinterpret_cast<const uint8_t*>(line.data()), 10), 0u);
    EXPECT_EQ(CommDrvWrite(CommDrv.Handle, nullptr, 10), 0u);
}

TEST_F(ComPortDrvPtyTest, AWriteToADeviceThatStoppedDrainingGivesUp) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    const std::vector<uint8_t> block(4 << 20, 'z');  // far more than the terminal buffers
    auto writing = std::async(std::launch::async, [&] {
        return CommDrvWrite(CommDrv.Handle, block.data(), static_cast<uint32_t>(block.size()));
    });
    ASSERT_EQ(writing.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    const uint32_t written = writing.get();
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, block.size());
}

}  // namespace
}  // namespace zorv::test
