#pragma once
// A message loop in real time for running the dialogue against a real port:
// timers on the steady clock, functions posted from any thread, and the
// computer's local clock. The thread that runs it is the user-interface thread.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "foundation/MessageLoop.h"

namespace zorv::test {

class RealTimeLoop : public IMessageLoop {
public:
    using Clock = std::chrono::steady_clock;

    std::unique_ptr<ITimer> CreateTimer(unsigned intervalMs, TTimerHandler handler, bool enabled) override;
    void RunOnUiThread(std::function<void()> fn) override;
    void ProcessMessagesFor(unsigned ms) override;
    void Sleep(unsigned ms) override;
    TLocalDateTime Now() override;

    // Handles messages until pred() holds or timeoutMs have passed; true when it held.
    bool RunUntil(const std::function<bool()>& pred, unsigned timeoutMs);

    struct TimerState;

private:
    // Handles everything due now; false when nothing was.
    bool HandleOne();
    void WaitForWork(Clock::time_point until);

    std::vector<std::shared_ptr<TimerState>> FTimers;
    std::mutex FMutex;
    std::condition_variable FPostedChanged;
    std::deque<std::function<void()>> FPosted;
};

}  // namespace zorv::test
