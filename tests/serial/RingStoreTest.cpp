// The reader's store step without a port: stores between the consumer's
// steps, notifications, and what it refuses.
#include <gtest/gtest.h>

#include "RingFixture.h"

namespace zorv::test {
namespace {

class RingStoreTest : public RingFixture {
protected:
    uint32_t Store(const std::string& Bytes) {
        return CommDrvStoreReceived(CommDrv, reinterpret_cast<const uint8_t*>(Bytes.data()),
                                    static_cast<uint32_t>(Bytes.size()));
    }
};

// The consumer moves the start before it lowers the count; a store between
// the two steps must still go behind the unread bytes.
TEST_F(RingStoreTest, StoreBetweenTheConsumersTwoStepsLandsBehindTheUnreadBytes) {
    UseRing(16);
    Store("line1\rrest");
    CommDrv.InpBufRead = true;
    CommDrv.StartInInpBuf = 6;
    Store("+more");
    CommDrvTakeReceived(CommDrv, 6);
    CommDrv.InpBufRead = false;
    EXPECT_EQ(Unread(), "rest+more");
}

// At the ring's end the consumer lowers the count before it resets the start.
TEST_F(RingStoreTest, StoreBetweenTheEndOfRingStepsLandsBehindTheUnreadBytes) {
    UseRing(8);
    Store("012345");
    Take(6);
    Store("ab");
    CommDrv.InpBufRead = true;
    CommDrvTakeReceived(CommDrv, 2);
    Store("xyz");
    CommDrv.StartInInpBuf = 0;
    CommDrv.InpBufRead = false;
    EXPECT_EQ(Unread(), "xyz");
}

TEST_F(RingStoreTest, NotifiesAfterStoringButNotWhileTheConsumerIsBusy) {
    int notified = 0;
    uint32_t seen = 0;
    CommDrv.OnReceived = [&] {
        ++notified;
        seen = CommDrv.ReceivedBytes.load();
    };
    Store("ab");
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(seen, 2u);
    CommDrv.InpBufRead = true;
    Store("c");
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(Unread(), "abc");
    CommDrv.InpBufRead = false;
    Store("");
    EXPECT_EQ(notified, 1);
}

TEST_F(RingStoreTest, AFullRingIsKeptWhileTheConsumerIsBusy) {
    UseRing(4);
    CommDrv.InpBufRead = true;
    EXPECT_EQ(Store("abcd"), 4u);
    EXPECT_EQ(Unread(), "abcd");
}

TEST_F(RingStoreTest, NothingIsStoredOnceTerminatedOrWithoutARing) {
    CommDrv.Terminated = true;
    EXPECT_EQ(Store("abc"), 0u);
    CommDrv.Terminated = false;
    UseRing(0);
    EXPECT_EQ(Store("abc"), 0u);
    CommDrv.InpBuf = nullptr;
    CommDrv.InpBufSize = 8;
    EXPECT_EQ(Store("abc"), 0u);
}

TEST_F(RingStoreTest, TakingMoreThanUnreadStopsAtZero) {
    Store("abc");
    CommDrvTakeReceived(CommDrv, 10);
    EXPECT_EQ(CommDrv.ReceivedBytes.load(), 0u);
}

}  // namespace
}  // namespace zorv::test
