#include "frontends/win32/Win32MessageLoop.h"

#include <utility>

#include "foundation/Exceptions.h"

namespace zorv {
namespace {

const wchar_t kLoopWindowClass[] = L"TZorvGSMDemoMessageLoop";
constexpr UINT kRunQueuedMessage = WM_APP + 1;

}  // namespace

class TWin32Timer : public ITimer {
public:
    TWin32Timer(TWin32MessageLoop& loop, unsigned intervalMs, TTimerHandler handler)
        : FLoop(loop), FHandler(std::move(handler)), FInterval(intervalMs), FId(loop.AddTimer(this)) {}
    ~TWin32Timer() override {
        Stop();
        FLoop.RemoveTimer(FId);
    }
    TWin32Timer(const TWin32Timer&) = delete;
    TWin32Timer& operator=(const TWin32Timer&) = delete;

    void SetEnabled(bool enabled) override {
        if (enabled && !FEnabled) Start();
        if (!enabled) Stop();
    }
    bool Enabled() const override { return FEnabled; }

    // The handler may release this timer: it runs on a copy.
    void Fire() {
        const TTimerHandler handler = FHandler;
        handler(this);
    }

private:
    void Start() {
        if (!SetTimer(FLoop.Window(), FId, FInterval, nullptr)) throw EOSError("SetTimer failed");
        FEnabled = true;
    }
    void Stop() {
        if (FEnabled) KillTimer(FLoop.Window(), FId);
        FEnabled = false;
    }

    TWin32MessageLoop& FLoop;
    TTimerHandler FHandler;
    unsigned FInterval;
    UINT_PTR FId;
    bool FEnabled = false;
};

TWin32MessageLoop::TWin32MessageLoop() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TWin32MessageLoop::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kLoopWindowClass;
    RegisterClassExW(&windowClass);  // fails harmlessly when a second loop registers it again
    FWindow = CreateWindowExW(0, kLoopWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!FWindow) throw EOSError("The message window cannot be created");
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWin32MessageLoop::~TWin32MessageLoop() {
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
    DestroyWindow(FWindow);
}

std::unique_ptr<ITimer> TWin32MessageLoop::CreateTimer(unsigned intervalMs, TTimerHandler handler, bool enabled) {
    auto timer = std::make_unique<TWin32Timer>(*this, intervalMs, std::move(handler));
    timer->SetEnabled(enabled);
    return timer;
}

UINT_PTR TWin32MessageLoop::AddTimer(TWin32Timer* timer) {
    const UINT_PTR id = FNextTimerId++;
    FTimers[id] = timer;
    return id;
}

void TWin32MessageLoop::RemoveTimer(UINT_PTR id) { FTimers.erase(id); }

void TWin32MessageLoop::RunOnUiThread(std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(FQueueLock);
    FQueue.push_back(std::move(fn));
    if (FWakeUpPosted) return;
    // Should the thread's message queue be full, the function waits for the next post.
    FWakeUpPosted = PostMessageW(FWindow, kRunQueuedMessage, 0, 0) != FALSE;
}

void TWin32MessageLoop::RunQueued() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard<std::mutex> lock(FQueueLock);
        batch.swap(FQueue);
        FWakeUpPosted = false;
    }
    for (const auto& fn : batch) RunHandler(fn);
}

void TWin32MessageLoop::OnTimer(UINT_PTR id) {
    const auto it = FTimers.find(id);
    // A WM_TIMER of a timer released meanwhile may still be queued.
    if (it == FTimers.end()) return;
    TWin32Timer* timer = it->second;
    RunHandler([timer] { timer->Fire(); });
}

LRESULT CALLBACK TWin32MessageLoop::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* loop = reinterpret_cast<TWin32MessageLoop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (loop && message == WM_TIMER) {
        loop->OnTimer(wParam);
        return 0;
    }
    if (loop && message == kRunQueuedMessage) {
        loop->RunQueued();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void TWin32MessageLoop::Dispatch(MSG& msg) {
    if (FDialogWindow && IsDialogMessageW(FDialogWindow, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int TWin32MessageLoop::Run() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
    return static_cast<int>(msg.wParam);
}

void TWin32MessageLoop::ProcessMessagesFor(unsigned ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        MSG msg{};
        // Bounded: a flood of messages cannot hold the caller past its deadline.
        while (GetTickCount64() < deadline && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Left for the outer loop, which ends the program.
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            Dispatch(msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        // Sleeps until a message arrives or the time is up.
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void TWin32MessageLoop::Sleep(unsigned ms) { ::Sleep(ms); }

TLocalDateTime TWin32MessageLoop::Now() { return SystemLocalNow(); }

}  // namespace zorv
