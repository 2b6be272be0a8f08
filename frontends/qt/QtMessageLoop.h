#pragma once
// The message loop of the Qt window: timers are QTimers of the GUI thread,
// functions from other threads are queued to it.
#include "foundation/MessageLoop.h"

namespace zorv {

class TQtMessageLoop : public IMessageLoop {
public:
    std::unique_ptr<ITimer> CreateTimer(unsigned intervalMs, TTimerHandler handler, bool enabled) override;
    void RunOnUiThread(std::function<void()> fn) override;
    void ProcessMessagesFor(unsigned ms) override;
    void Sleep(unsigned ms) override;
    TLocalDateTime Now() override;
};

}  // namespace zorv
