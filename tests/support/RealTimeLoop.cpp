#include "RealTimeLoop.h"

#include <algorithm>
#include <thread>

namespace zorv::test {

struct RealTimeLoop::TimerState {
    unsigned Interval = 0;
    bool Enabled = false;
    bool Alive = true;
    Clock::time_point Due;
    TTimerHandler Handler;
    ITimer* Owner = nullptr;

    void Arm() { Due = Clock::now() + std::chrono::milliseconds(std::max(1u, Interval)); }
};

namespace {

class RealTimer : public ITimer {
public:
    explicit RealTimer(std::shared_ptr<RealTimeLoop::TimerState> state) : FState(std::move(state)) {
        FState->Owner = this;
    }
    ~RealTimer() override { FState->Alive = false; }
    void SetEnabled(bool enabled) override {
        if (enabled && !FState->Enabled) FState->Arm();
        FState->Enabled = enabled;
    }
    bool Enabled() const override { return FState->Enabled; }

private:
    std::shared_ptr<RealTimeLoop::TimerState> FState;
};

}  // namespace

std::unique_ptr<ITimer> RealTimeLoop::CreateTimer(unsigned intervalMs, TTimerHandler handler, bool enabled) {
    auto state = std::make_shared<TimerState>();
    state->Interval = intervalMs;
    state->Handler = std::move(handler);
    auto timer = std::make_unique<RealTimer>(state);
    FTimers.push_back(state);
    timer->SetEnabled(enabled);
    return timer;
}

void RealTimeLoop::RunOnUiThread(std::function<void()> fn) {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FPosted.push_back(std::move(fn));
    }
    FPostedChanged.notify_one();
}

bool RealTimeLoop::HandleOne() {
    std::function<void()> posted;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        if (!FPosted.empty()) {
            posted = std::move(FPosted.front());
            FPosted.pop_front();
        }
    }
    if (posted) {
        posted();
        return true;
    }
    FTimers.erase(std::remove_if(FTimers.begin(), FTimers.end(), [](const auto& t) { return !t->Alive; }),
                  FTimers.end());
    const Clock::time_point now = Clock::now();
    std::shared_ptr<TimerState> next;
    for (const auto& t : FTimers)
        if (t->Alive && t->Enabled && t->Due <= now && (!next || t->Due < next->Due)) next = t;
    if (!next) return false;
    next->Arm();
    TTimerHandler handler = next->Handler;  // the handler may destroy its timer
    handler(next->Owner);
    return true;
}

void RealTimeLoop::WaitForWork(Clock::time_point until) {
    for (const auto& t : FTimers)
        if (t->Alive && t->Enabled) until = std::min(until, t->Due);
    std::unique_lock<std::mutex> lock(FMutex);
    FPostedChanged.wait_until(lock, until, [this] { return !FPosted.empty(); });
}

void RealTimeLoop::ProcessMessagesFor(unsigned ms) {
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        if (!HandleOne()) WaitForWork(until);
    }
}

bool RealTimeLoop::RunUntil(const std::function<bool()>& pred, unsigned timeoutMs) {
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (Clock::now() >= until) return false;
        if (!HandleOne()) WaitForWork(std::min(until, Clock::now() + std::chrono::milliseconds(5)));
    }
    return true;
}

void RealTimeLoop::Sleep(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TLocalDateTime RealTimeLoop::Now() { return SystemLocalNow(); }

}  // namespace zorv::test
