#pragma once
// The message loop of the Win32 window. Timers are SetTimer timers of a hidden
// message-only window; functions from other threads wait in a queue and one
// posted message at a time tells the user-interface thread to run them.
// Exceptions that escape a handler go to the application exception handler.
#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "foundation/ApplicationExceptions.h"
#include "foundation/MessageLoop.h"

namespace zorv {

class TWin32Timer;

class TWin32MessageLoop : public IMessageLoop {
public:
    TWin32MessageLoop();  // on the user-interface thread
    ~TWin32MessageLoop() override;
    TWin32MessageLoop(const TWin32MessageLoop&) = delete;
    TWin32MessageLoop& operator=(const TWin32MessageLoop&) = delete;

    std::unique_ptr<ITimer> CreateTimer(unsigned intervalMs, TTimerHandler handler, bool enabled) override;
    void RunOnUiThread(std::function<void()> fn) override;
    void ProcessMessagesFor(unsigned ms) override;
    void Sleep(unsigned ms) override;
    TLocalDateTime Now() override;

    // Keyboard navigation (Tab between the buttons) for this window's children.
    void SetDialogWindow(HWND window) { FDialogWindow = window; }

    // Runs until WM_QUIT; gives its exit code.
    int Run();

    // For the timers of this loop.
    HWND Window() const { return FWindow; }
    UINT_PTR AddTimer(TWin32Timer* timer);
    void RemoveTimer(UINT_PTR id);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Dispatch(MSG& msg);
    void OnTimer(UINT_PTR id);
    void RunQueued();

    HWND FWindow = nullptr;
    HWND FDialogWindow = nullptr;
    std::map<UINT_PTR, TWin32Timer*> FTimers;
    UINT_PTR FNextTimerId = 1;

    std::mutex FQueueLock;
    std::deque<std::function<void()>> FQueue;
    // A wake-up message is on its way: further functions need no message of their own.
    bool FWakeUpPosted = false;
};

// Runs an event handler; what escapes it goes to the application exception
// handler, as no exception may cross the system's frames of a window procedure.
template <class Handler>
void RunHandler(Handler&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& e) {
        HandleApplicationException(e);
    } catch (...) {
        HandleUnknownApplicationException();
    }
}

}  // namespace zorv
