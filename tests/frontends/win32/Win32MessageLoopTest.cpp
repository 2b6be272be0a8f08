#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <thread>
#include <vector>

#include "foundation/ApplicationExceptions.h"
#include "frontends/win32/Win32MessageLoop.h"

namespace zorv {
namespace {

// Bounded real waits: each loop runs until its condition holds or the limit passes.
constexpr unsigned kLimitMs = 10000;

bool ProcessUntil(TWin32MessageLoop& loop, const std::function<bool()>& done) {
    const ULONGLONG limit = GetTickCount64() + kLimitMs;
    while (!done() && GetTickCount64() < limit) loop.ProcessMessagesFor(10);
    return done();
}

TEST(Win32MessageLoop, TimerRunsWithItselfAsSenderUntilDisabled) {
    TWin32MessageLoop loop;
    int ticks = 0;
    ITimer* sender = nullptr;
    auto timer = loop.CreateTimer(10, [&](ITimer* t) { sender = t, ++ticks; }, true);
    EXPECT_TRUE(timer->Enabled());
    ASSERT_TRUE(ProcessUntil(loop, [&] { return ticks >= 3; }));
    EXPECT_EQ(sender, timer.get());
    timer->SetEnabled(false);
    EXPECT_FALSE(timer->Enabled());
    const int stopped = ticks;
    loop.ProcessMessagesFor(100);
    EXPECT_EQ(ticks, stopped);
}

TEST(Win32MessageLoop, OneShotTimerReleasedByItsHandlerRunsOnce) {
    TWin32MessageLoop loop;
    int runs = 0;
    std::unique_ptr<ITimer> oneShot;
    oneShot = loop.CreateTimer(1, [&](ITimer*) { ++runs, oneShot.reset(); }, true);
    int other = 0;
    auto later = loop.CreateTimer(50, [&](ITimer*) { ++other; }, true);
    ASSERT_TRUE(ProcessUntil(loop, [&] { return other >= 2; }));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(oneShot, nullptr);
}

TEST(Win32MessageLoop, FunctionsFromOtherThreadsRunOnTheUiThreadInOrderAndNoneIsLost) {
    TWin32MessageLoop loop;
    constexpr int kThreads = 4;
    constexpr int kEach = 20000;  // far more than a thread's message queue holds
    const DWORD uiThread = GetCurrentThreadId();
    std::vector<int> next(kThreads, 0);
    bool inOrder = true;
    bool onUiThread = true;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                loop.RunOnUiThread([&, t, i] {
                    inOrder = inOrder && next[t] == i;
                    onUiThread = onUiThread && GetCurrentThreadId() == uiThread;
                    next[t] = i + 1;
                });
            }
        });
    }
    for (auto& thread : threads) thread.join();
    ASSERT_TRUE(ProcessUntil(loop, [&] {
        for (int n : next)
            if (n != kEach) return false;
        return true;
    }));
    EXPECT_TRUE(inOrder);
    EXPECT_TRUE(onUiThread);
}

TEST(Win32MessageLoop, QuitEndsTheWaitAndIsLeftForTheMainLoop) {
    TWin32MessageLoop loop;
    PostQuitMessage(7);
    const ULONGLONG start = GetTickCount64();
    loop.ProcessMessagesFor(kLimitMs);
    EXPECT_LT(GetTickCount64() - start, kLimitMs / 2);
    EXPECT_EQ(loop.Run(), 7);
}

TEST(Win32MessageLoop, ExceptionsOfHandlersGoToTheApplicationHandler) {
    TWin32MessageLoop loop;
    std::vector<std::string> caught;
    SetApplicationExceptionHandler([&](const std::exception& e) { caught.push_back(e.what()); });
    auto timer = loop.CreateTimer(1, [&](ITimer* t) {
        t->SetEnabled(false);
        throw std::runtime_error("from a timer");
    }, true);
    loop.RunOnUiThread([] { throw std::runtime_error("from a posted function"); });
    const bool both = ProcessUntil(loop, [&] { return caught.size() == 2; });
    SetApplicationExceptionHandler(nullptr);
    ASSERT_TRUE(both);
    std::sort(caught.begin(), caught.end());
    EXPECT_EQ(caught, (std::vector<std::string>{"from a posted function", "from a timer"}));
}

}  // namespace
}  // namespace zorv
