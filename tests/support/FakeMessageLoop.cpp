#include "FakeMessageLoop.h"

#include <algorithm>
#include <utility>

namespace zorv::test {

struct FakeMessageLoop::TimerState {
    FakeMessageLoop* Loop;
    unsigned Interval;
    bool Enabled;
    bool Alive = true;
    uint64_t Due = 0;
    uint64_t Order = 0;
    TTimerHandler Handler;
    ITimer* Owner = nullptr;

    void Arm() {
        Due = Loop->FNowMs + std::max(1u, Interval);
        Order = ++Loop->FSequence;
    }
};

namespace {

class FakeTimer : public ITimer {
public:
    explicit FakeTimer(std::shared_ptr<FakeMessageLoop::TimerState> state) : FState(std::move(state)) {
        FState->Owner = this;
    }
    ~FakeTimer() override { FState->Alive = false; }
    void SetEnabled(bool enabled) override {
        if (enabled && !FState->Enabled) FState->Arm();
        FState->Enabled = enabled;
    }
    bool Enabled() const override { return FState->Enabled; }

private:
    std::shared_ptr<FakeMessageLoop::TimerState> FState;
};

}  // namespace

FakeMessageLoop::FakeMessageLoop() {
    FStart.Year = 2026;
    FStart.Month = 12;
    FStart.Day = 7;
    FStart.Hour = 4;
    FStart.Minute = 35;
}

FakeMessageLoop::~FakeMessageLoop() = default;

std::unique_ptr<ITimer> FakeMessageLoop::CreateTimer(unsigned intervalMs, TTimerHandler handler, bool enabled) {
    auto state = std::make_shared<TimerState>();
    state->Loop = this;
    state->Interval = intervalMs;
    state->Enabled = false;
    state->Handler = std::move(handler);
    auto timer = std::make_unique<FakeTimer>(state);
    FTimers.push_back(state);
    timer->SetEnabled(enabled);
    return timer;
}

void FakeMessageLoop::RunOnUiThread(std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(FPostedMutex);
    FPosted.push_back(std::move(fn));
    ++FPostedCount;
}

void FakeMessageLoop::RunPending() {
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(FPostedMutex);
            if (FPosted.empty()) return;
            fn = std::move(FPosted.front());
            FPosted.pop_front();
        }
        ++FHandled;
        fn();
    }
}

bool FakeMessageLoop::FireNextDue(uint64_t until) {
    FTimers.erase(std::remove_if(FTimers.begin(), FTimers.end(), [](const auto& t) { return !t->Alive; }),
                  FTimers.end());
    std::shared_ptr<TimerState> next;
    for (const auto& t : FTimers) {
        if (!t->Alive || !t->Enabled || t->Due > until) continue;
        if (!next || t->Due < next->Due || (t->Due == next->Due && t->Order < next->Order)) next = t;
    }
    if (!next) return false;
    FNowMs = std::max(FNowMs.load(), next->Due);
    next->Arm();
    ++FHandled;
    TTimerHandler handler = next->Handler;  // the handler may destroy its timer
    handler(next->Owner);
    RunPending();
    return true;
}

void FakeMessageLoop::Advance(uint64_t ms) {
    const uint64_t until = FNowMs + ms;
    RunPending();
    while (FireNextDue(until)) {
    }
    FNowMs = std::max(FNowMs.load(), until);
}

bool FakeMessageLoop::AdvanceOne(uint64_t untilMs) {
    RunPending();
    if (FireNextDue(untilMs)) return true;
    FNowMs = std::max(FNowMs.load(), untilMs);
    return false;
}

void FakeMessageLoop::ProcessMessagesFor(unsigned ms) {
    if (OnNextWait) std::exchange(OnNextWait, nullptr)();
    Advance(ms);
}

void FakeMessageLoop::Sleep(unsigned ms) {
    if (OnNextWait) std::exchange(OnNextWait, nullptr)();
    FNowMs += ms;
    FSleptMs += ms;
}

bool FakeMessageLoop::AdvanceUntil(const std::function<bool()>& pred, uint64_t limitMs, uint64_t stepMs) {
    for (uint64_t passed = 0; passed <= limitMs; passed += stepMs) {
        RunPending();
        if (pred()) return true;
        Advance(stepMs);
    }
    return pred();
}

unsigned FakeMessageLoop::IntervalOf(const ITimer* timer) const {
    for (const auto& state : FTimers)
        if (state->Alive && state->Owner == timer) return state->Interval;
    return 0;
}

uint64_t FakeMessageLoop::NextDueMs() const {
    uint64_t due = UINT64_MAX;
    for (const auto& t : FTimers)
        if (t->Alive && t->Enabled) due = std::min(due, t->Due);
    return due;
}

size_t FakeMessageLoop::LiveTimers() const {
    return static_cast<size_t>(std::count_if(FTimers.begin(), FTimers.end(), [](const auto& t) { return t->Alive; }));
}

TLocalDateTime FakeMessageLoop::Now() {
    // Minutes and below are enough for tests; they start at a fixed day.
    TLocalDateTime t = FStart;
    uint64_t ms = FNowMs + static_cast<uint64_t>(t.Millisecond) + 1000ull * (t.Second + 60ull * (t.Minute + 60ull * t.Hour));
    t.Millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    t.Second = static_cast<int>(ms % 60);
    ms /= 60;
    t.Minute = static_cast<int>(ms % 60);
    ms /= 60;
    t.Hour = static_cast<int>(ms % 24);
    t.Day += static_cast<int>(ms / 24);  // tests never run past the end of a month
    return t;
}

}  // namespace zorv::test
