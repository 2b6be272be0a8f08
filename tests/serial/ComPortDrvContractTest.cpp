// The driver's contract on a real line, the same on every backend: bytes in
// order across the ring's end, a full ring, close, re-open, hang-up, writes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "LineFixture.h"

namespace zorv::test {
namespace {

void SleepMs(int Ms) { std::this_thread::sleep_for(std::chrono::milliseconds(Ms)); }

class ComPortDrvContractTest : public LineFixture {
protected:
    bool WaitReceived(uint32_t Count) {
        return WaitFor([&] { return CommDrv.ReceivedBytes.load() == Count; });
    }

    // Reader CPU time over a real wait; the wait only bounds the measurement.
    int64_t ReaderCpuOver(int Ms) {
        const int64_t before = ThreadCpuMicros(CommDrv.ThreadHandle);
        SleepMs(Ms);
        return ThreadCpuMicros(CommDrv.ThreadHandle) - before;
    }

    // Closes on another thread; false when close did not return in time.
    static bool ClosesInTime() {
        auto closing = std::async(std::launch::async, [] { CommDrvClose(CommDrv); });
        return closing.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    }
};

TEST_F(ComPortDrvContractTest, OpensClosesAndReopens) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    EXPECT_NE(CommDrv.Handle, kCommHandleNone);
    CommDrvClose(CommDrv);
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
    CommDrvClose(CommDrv);
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);

    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Device.Send("again"));
    ASSERT_TRUE(WaitReceived(5));
    EXPECT_EQ(Unread(), "again");
}

TEST_F(ComPortDrvContractTest, BytesArriveInTheRingInOrder) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    std::string sent;
    for (int i = 0; i < 1000; ++i) sent += static_cast<char>('0' + i % 75);
    ASSERT_TRUE(Device.Send(sent.substr(0, 300)));
    ASSERT_TRUE(Device.Send(sent.substr(300)));
    ASSERT_TRUE(WaitReceived(1000));
    EXPECT_EQ(Unread(), sent);
}

TEST_F(ComPortDrvContractTest, BytesAcrossTheRingEndAreStoredInTwoPieces) {
    UseRing(16);
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Device.Send("0123456789"));
    ASSERT_TRUE(WaitReceived(10));
    Take(10);
    ASSERT_TRUE(Device.Send("ABCDEFGHIJ"));
    ASSERT_TRUE(WaitReceived(10));
    EXPECT_EQ(RingText(10, 6), "ABCDEF");
    EXPECT_EQ(RingText(0, 4), "GHIJ");
}

TEST_F(ComPortDrvContractTest, BytesEndingExactlyAtTheRingEnd) {
    UseRing(16);
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Device.Send("0123456789"));
    ASSERT_TRUE(WaitReceived(10));
    Take(10);
    ASSERT_TRUE(Device.Send("abcdef"));
    ASSERT_TRUE(WaitReceived(6));
    EXPECT_EQ(RingText(10, 6), "abcdef");
    ASSERT_TRUE(Device.Send("xyz"));
    ASSERT_TRUE(WaitReceived(9));
    EXPECT_EQ(RingText(0, 3), "xyz");
}

// The device sends nothing after the ring filled: what the port still holds
// must come in once the consumer frees space, not with the device's next byte.
TEST_F(ComPortDrvContractTest, AFullRingWaitsIdleAndLosesNothing) {
    UseRing(8);
    std::atomic<int> notified{0};
    std::atomic<uint32_t> notifiedAt{0};
    CommDrv.OnReceived = [&] {
        notifiedAt = CommDrv.ReceivedBytes.load();
        ++notified;
    };
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Device.Send("0123456789AB"));
    // The notice of the store that filled the ring comes after the count: wait for the notice itself.
    ASSERT_TRUE(WaitFor([&] { return notifiedAt.load() == 8; }));
    const int notifiedWhenFull = notified.load();
    EXPECT_LT(ReaderCpuOver(200), 20000);
    EXPECT_EQ(Unread(), "01234567");
    EXPECT_EQ(notified.load(), notifiedWhenFull);

    Take(8);
    ASSERT_TRUE(WaitReceived(4));
    EXPECT_EQ(Unread(), "89AB");
}

TEST_F(ComPortDrvContractTest, AnEmptyRingStoresNothingAndStaysIdle) {
    UseRing(0);
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Device.Send("abc"));
    EXPECT_LT(ReaderCpuOver(200), 20000);
    EXPECT_EQ(CommDrv.ReceivedBytes.load(), 0u);
}

TEST_F(ComPortDrvContractTest, CloseWakesABlockedReaderPromptly) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    SleepMs(20);
    ASSERT_TRUE(ClosesInTime());
    EXPECT_EQ(CommDrv.Handle, kCommHandleNone);
    ASSERT_TRUE(CommDrvOpen(CommDrv));
}

TEST_F(ComPortDrvContractTest, HangUpLeavesTheReaderIdleUntilClose) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Device.Send("ab"));
    ASSERT_TRUE(WaitReceived(2));
    Device.HangUp();
    SleepMs(20);
    EXPECT_LT(ReaderCpuOver(300), 30000);
    const uint8_t bytes[] = {'x', '\r', '\n'};
    EXPECT_EQ(CommDrvWrite(CommDrv, bytes, 3), 0u);
    ASSERT_TRUE(ClosesInTime());
}

TEST_F(ComPortDrvContractTest, WritesReachTheLine) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    const std::string line = "VERSION?\r\n";
    EXPECT_EQ(CommDrvWrite(CommDrv, reinterpret_cast<const uint8_t*>(line.data()), 10), 10u);
    EXPECT_EQ(Device.ReadSent(10), line);
    TCommDrv Closed;
    EXPECT_EQ(CommDrvWrite(Closed, reinterpret_cast<const uint8_t*>(line.data()), 10), 0u);
    EXPECT_EQ(CommDrvWrite(CommDrv, nullptr, 10), 0u);
}

// "reset" and "START_MAIN" are followed at once by a close, and a panel that stays
// plugged in is found and opened again at once: neither may discard a command
// that the panel has not read yet.
TEST_F(ComPortDrvContractTest, BytesWrittenRightBeforeCloseReachTheDeviceThroughAReopen) {
    const std::string command = "reset\r\n";
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(CommDrvOpen(CommDrv));
        EXPECT_EQ(CommDrvWrite(CommDrv, reinterpret_cast<const uint8_t*>(command.data()),
                               static_cast<uint32_t>(command.size())),
                  command.size());
        CommDrvClose(CommDrv);
        if (round % 2 == 1) {
            ASSERT_TRUE(CommDrvOpen(CommDrv));
        }
        EXPECT_EQ(Device.ReadSent(command.size(), 1000), command) << "round " << round;
        CommDrvClose(CommDrv);
    }
}

TEST_F(ComPortDrvContractTest, AWriteToADeviceThatStoppedDrainingGivesUp) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    const std::vector<uint8_t> block(4 << 20, 'z');  // far more than the line buffers
    auto writing = std::async(std::launch::async, [&] {
        return CommDrvWrite(CommDrv, block.data(), static_cast<uint32_t>(block.size()));
    });
    ASSERT_EQ(writing.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    const uint32_t written = writing.get();
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, block.size());
}

}  // namespace
}  // namespace zorv::test
