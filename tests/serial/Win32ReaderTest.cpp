// The Win32 reader against drivers Wine cannot play, through scripted comm calls.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <ostream>
#include <vector>

#include "FakeCommCalls.h"
#include "RingFixture.h"
#include "serial/CommBackendWin32.h"
#include "serial/PortResult.h"

namespace zorv::test {
namespace {

class ReaderFixture : public RingFixture {
protected:
    ReaderFixture() {
        CommDrv.Backend = Backend.get();
        CommDrv.PortNumber = 7;
        CommDrv.OnReceived = [this] {
            std::lock_guard<std::mutex> hold(FLock);
            FReceived.notify_all();
        };
    }
    // A reader let go by a failed test still calls the fake until its driver lets it go.
    ~ReaderFixture() override {
        Comm.Release();
        CommDrvClose(CommDrv);
        Comm.WaitUntilPortFree();
        CommDrv.Backend = nullptr;
    }

    // Waits for the reader to store Count bytes; the guard only bounds a failing test.
    bool WaitReceived(uint32_t Count) {
        std::unique_lock<std::mutex> lock(FLock);
        return FReceived.wait_for(lock, std::chrono::seconds(20),
                                  [Count] { return CommDrv.ReceivedBytes.load() >= Count; });
    }

    FakeCommCalls Comm;
    std::unique_ptr<ICommBackend> Backend = MakeWin32CommBackend(Comm);

private:
    std::mutex FLock;
    std::condition_variable FReceived;
};

// "reset" is written right before a close, and the panel may not have read it at the next open:
// neither discards output the driver still holds, unless a device never takes it.
TEST_F(ReaderFixture, OpenAndCloseDiscardOnlyInputWhileTheOutputLeaves) {
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    CommDrvClose(CommDrv);
    TDriverScript stalled;
    stalled.OutQueue = 7;
    Comm.Play(stalled);
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    CommDrvClose(CommDrv);
    const std::vector<DWORD> purges = Comm.Purges();
    ASSERT_EQ(purges.size(), 4u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(purges[i] & (PURGE_TXABORT | PURGE_TXCLEAR), 0u) << i;
    EXPECT_EQ(purges[3] & PURGE_TXCLEAR, DWORD(PURGE_TXCLEAR));
}

// A driver that ignores the cancel holds the reader in its wait or in its read.
struct TStuckCase {
    const char* Name;
    const char* Bytes;  // none: stuck in the wait; some: stuck reading them
};

void PrintTo(const TStuckCase& Case, std::ostream* Out) { *Out << Case.Name; }

class StuckReaderTest : public ReaderFixture, public ::testing::WithParamInterface<TStuckCase> {};

TEST_P(StuckReaderTest, ALetGoReaderFreesThePortWhenItEndsAndNeverWritesTheRing) {
    TDriverScript script;
    script.IgnoresCancel = true;
    script.Bytes = GetParam().Bytes;
    Comm.Play(script);
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    ASSERT_TRUE(Comm.WaitUntilPending());

    CommDrvClose(CommDrv);
    // The reader may still use the port, so it stays open and busy.
    EXPECT_TRUE(Comm.PortOpen());
    EXPECT_FALSE(CommDrvOpen(CommDrv));
    EXPECT_EQ(CommDrv.OpenResult.Outcome, poBusy);

    // The driver completes the operation late, into whatever buffer it was given.
    Comm.Release();
    ASSERT_TRUE(Comm.WaitUntilPortFree()) << "the ended reader left its port open";
    EXPECT_EQ(RingText(0, Ring.size()), std::string(Ring.size(), '.'));
    EXPECT_EQ(CommDrv.ReceivedBytes.load(), 0u);
    EXPECT_TRUE(CommDrvOpen(CommDrv));
}

INSTANTIATE_TEST_SUITE_P(Driver, StuckReaderTest,
                         ::testing::Values(TStuckCase{"InItsWait", ""}, TStuckCase{"InItsRead", "late"}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// A port that misbehaves for a while: the reader pauses after each fault and
// hears the device once the port behaves again.
struct TFaultCase {
    const char* Name;
    int FailedWaits;
    bool FailWhilePending;
    int EmptyReads;
    bool ReachesLongestPause;
};

void PrintTo(const TFaultCase& Case, std::ostream* Out) { *Out << Case.Name; }

class PortFaultTest : public ReaderFixture, public ::testing::WithParamInterface<TFaultCase> {};

TEST_P(PortFaultTest, TheReaderPausesAfterEachFaultAndHearsTheDeviceAgain) {
    const TFaultCase& fault = GetParam();
    TDriverScript script;
    script.FailedWaits = fault.FailedWaits;
    script.FailWhilePending = fault.FailWhilePending;
    script.EmptyReads = fault.EmptyReads;
    script.Bytes = "OK\r";
    Comm.Play(script);
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    const HANDLE wake = reinterpret_cast<HANDLE>(CommDrv.WakeHandle);

    ASSERT_TRUE(WaitReceived(3)) << "the port stayed deaf after its faults";
    EXPECT_EQ(Unread(), "OK\r");
    // One pause per fault, none of them nothing or for ever, longer each time up to a bound.
    const std::vector<DWORD> pauses = Comm.TimedWaits(wake);
    ASSERT_EQ(pauses.size(), size_t(fault.FailedWaits + fault.EmptyReads));
    for (size_t i = 0; i < pauses.size(); ++i) {
        EXPECT_GT(pauses[i], 0u) << i;
        if (i > 0) {
            EXPECT_GE(pauses[i], pauses[i - 1]) << i;
        }
    }
    if (pauses.size() > 1) {
        EXPECT_LT(pauses.front(), pauses.back());
    }
    if (fault.ReachesLongestPause) {
        EXPECT_EQ(pauses.back(), pauses[pauses.size() - 2]);
    }
}

INSTANTIATE_TEST_SUITE_P(Port, PortFaultTest,
                         ::testing::Values(TFaultCase{"AWaitFailsAtOnce", 1, false, 0, false},
                                           TFaultCase{"APendingWaitEndsWithAnError", 1, true, 0, false},
                                           TFaultCase{"WaitsKeepFailing", 7, false, 0, true},
                                           TFaultCase{"TheQueueReportsBytesItDoesNotGive", 0, false, 4, false}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

}  // namespace
}  // namespace zorv::test
