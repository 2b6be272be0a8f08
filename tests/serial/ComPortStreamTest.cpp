// Several megabytes through a small ring on a real pseudo-terminal, with a
// consumer that follows the ring contract and checks every byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "PtyPort.h"
#include "RingFixture.h"

namespace zorv::test {
namespace {

// The same pseudo-random byte stream on both sides.
class ByteStream {
public:
    uint8_t Next() {
        FState = FState * 1103515245u + 12345u;
        return static_cast<uint8_t>(FState >> 16);
    }

private:
    uint32_t FState = 1;
};

class ComPortStreamTest : public RingFixture {
protected:
    PtyPort Pty{9};
    PortPaths Paths;
};

TEST_F(ComPortStreamTest, EveryByteArrivesOnceAndInOrderThroughASmallRing) {
    constexpr size_t kTotal = 4u << 20;
    constexpr uint32_t kRing = 61;  // odd, so pieces end everywhere in it
    Paths.Add(Pty);
    UseRing(kRing);
    CommDrv.PortNumber = 9;
    CommDrv.DCB = TDCB{};
    CommDrv.DCB.BaudRate = 921600;
    CommDrv.DCB.ByteSize = 8;
    std::mutex mutex;
    std::condition_variable received;
    CommDrv.OnReceived = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        received.notify_one();
    };
    ASSERT_TRUE(CommDrvOpen(CommDrv));

    std::thread writer([this] {
        ByteStream stream;
        std::string chunk;
        for (size_t sent = 0, piece = 1; sent < kTotal; sent += chunk.size(), piece = piece * 7 % 701 + 1) {
            chunk.resize(std::min(piece, kTotal - sent));
            for (char& c : chunk) c = static_cast<char>(stream.Next());
            if (!Pty.Send(chunk)) return;
        }
    });

    ByteStream expected;
    size_t checked = 0;
    size_t mismatches = 0;
    uint32_t mostUnread = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (checked < kTotal && mismatches == 0 && std::chrono::steady_clock::now() < deadline) {
        const uint32_t unread = CommDrv.ReceivedBytes.load(std::memory_order_acquire);
        if (unread == 0) {
            std::unique_lock<std::mutex> lock(mutex);
            received.wait_for(lock, std::chrono::seconds(1), [] { return CommDrv.ReceivedBytes.load() > 0; });
            continue;
        }
        mostUnread = std::max(mostUnread, unread);
        const uint32_t start = CommDrv.StartInInpBuf.load() % kRing;
        const uint32_t count = std::min(unread, kRing - start);
        for (uint32_t k = 0; k < count; ++k) mismatches += Ring[start + k] != expected.Next();
        checked += count;
        // The dialogue's two orders: a line moves the start first, the ring's end lowers the count first.
        CommDrv.InpBufRead = true;
        if (start + count == kRing) {
            CommDrvTakeReceived(CommDrv, count);
            CommDrv.StartInInpBuf = 0;
        } else {
            CommDrv.StartInInpBuf = start + count;
            CommDrvTakeReceived(CommDrv, count);
        }
        CommDrv.InpBufRead = false;
    }
    CommDrvClose(CommDrv);
    writer.join();
    EXPECT_EQ(mismatches, 0u) << "after " << checked << " bytes";
    EXPECT_EQ(checked, kTotal);
    EXPECT_LE(mostUnread, kRing);
}

}  // namespace
}  // namespace zorv::test
