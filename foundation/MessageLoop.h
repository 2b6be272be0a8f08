#pragma once
// The message loop of the user-interface thread, as the program logic sees it.
// The Qt and Win32 windows implement it; tests use a fake with virtual time.
#include <functional>
#include <memory>

#include "foundation/LocalTime.h"

namespace zorv {

class ITimer {
public:
    virtual ~ITimer() = default;
    // Enabling a timer that is enabled already does not restart its count-down.
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
};

using TTimerHandler = std::function<void(ITimer* sender)>;

class IMessageLoop {
public:
    virtual ~IMessageLoop() = default;

    // A timer of the user-interface thread; the handler runs there, with the timer as sender.
    // A handler may destroy its own timer (one-shot timers release themselves).
    virtual std::unique_ptr<ITimer> CreateTimer(unsigned intervalMs, TTimerHandler handler, bool enabled) = 0;

    // Runs fn on the user-interface thread soon; callable from any thread.
    virtual void RunOnUiThread(std::function<void()> fn) = 0;

    // Handles messages (timers, posted functions) for about ms milliseconds, then returns.
    virtual void ProcessMessagesFor(unsigned ms) = 0;

    // Blocks the calling thread for ms milliseconds; no messages are handled meanwhile.
    virtual void Sleep(unsigned ms) = 0;

    // The local wall clock.
    virtual TLocalDateTime Now() = 0;
};

}  // namespace zorv
