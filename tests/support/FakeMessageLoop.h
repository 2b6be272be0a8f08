#pragma once
// A message loop in virtual time: timers fire only when the test advances the
// clock, so minutes of watchdogs and port checks run in microseconds.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "foundation/MessageLoop.h"

namespace zorv::test {

class FakeMessageLoop : public IMessageLoop {
public:
    FakeMessageLoop();
    ~FakeMessageLoop() override;

    std::unique_ptr<ITimer> CreateTimer(unsigned intervalMs, TTimerHandler handler, bool enabled) override;
    void RunOnUiThread(std::function<void()> fn) override;
    // Advances virtual time by ms, handling timers and posted functions meanwhile.
    void ProcessMessagesFor(unsigned ms) override;
    // Advances virtual time without handling anything.
    void Sleep(unsigned ms) override;
    TLocalDateTime Now() override;

    // Advances virtual time by ms, firing every timer that falls due, in order.
    void Advance(uint64_t ms);
    // Runs the functions posted so far (and those they post), without advancing time.
    void RunPending();
    // Runs what is posted, then fires the first timer due at or before virtual time untilMs;
    // false, with the clock at untilMs, when none is. Lets a test look between any two timers.
    bool AdvanceOne(uint64_t untilMs);
    // Advances in steps of stepMs until pred() holds or limitMs have passed; true when it held.
    bool AdvanceUntil(const std::function<bool()>& pred, uint64_t limitMs, uint64_t stepMs = 1);

    uint64_t ElapsedMs() const { return FNowMs; }
    uint64_t SleptMs() const { return FSleptMs; }
    // When the next enabled timer falls due (UINT64_MAX for none).
    uint64_t NextDueMs() const;
    // How many posted functions and timer ticks it has run: it grows with everything handled.
    uint64_t Handled() const { return FHandled; }
    // How many functions any thread has posted.
    uint64_t PostedCount() const { return FPostedCount; }
    // The wall-clock reading at virtual time 0.
    void SetStartTime(const TLocalDateTime& start) { FStart = start; }
    size_t LiveTimers() const;
    // The interval a timer of this loop was created with; 0 for any other timer.
    unsigned IntervalOf(const ITimer* timer) const;

    struct TimerState;

    // Called once, when the code under test next blocks in Sleep or waits in ProcessMessagesFor,
    // before the time passes: lets a test make something happen inside such a wait.
    std::function<void()> OnNextWait;

private:
    bool FireNextDue(uint64_t until);

    // Read by Now(), which the error log calls from any thread.
    std::atomic<uint64_t> FNowMs{0};
    uint64_t FSleptMs = 0;
    uint64_t FSequence = 0;
    uint64_t FHandled = 0;
    TLocalDateTime FStart;
    std::vector<std::shared_ptr<TimerState>> FTimers;
    std::atomic<uint64_t> FPostedCount{0};
    std::mutex FPostedMutex;
    std::deque<std::function<void()>> FPosted;
};

}  // namespace zorv::test
