#include "serial/ComPortReaderWin32.h"

#include <algorithm>

namespace zorv {

namespace {

// The reader reads into a buffer of its own, never into the ring: a read that
// a driver completes after its reader was let go lands there, and the ring may
// be freed or handed to the next open by then. The buffer lives on the
// reader's stack, and the reader ends only after its last read completed.
constexpr DWORD kReadChunk = 4096;

// After a failed wait, or a read that gave nothing of what the queue reported,
// the reader pauses before it tries again: from kFirstPauseMs, doubling up to
// kLastPauseMs, until bytes come through again.
constexpr DWORD kFirstPauseMs = 20;
constexpr DWORD kLastPauseMs = 500;

}  // namespace

TWin32Reader::TWin32Reader(IWin32CommCalls& Calls, TCommDrv& Drv, HANDLE Port, HANDLE Wake)
    : Port(Port), Wake(Wake), FCalls(Calls), FDrv(Drv) {}

DWORD WINAPI TWin32Reader::Proc(LPVOID Parameter) {
    const std::unique_ptr<std::shared_ptr<TWin32Reader>> reader(static_cast<std::shared_ptr<TWin32Reader>*>(Parameter));
    (*reader)->Run();
    return 0;
}

HANDLE TWin32Reader::Start(const std::shared_ptr<TWin32Reader>& Reader) {
    auto held = std::make_unique<std::shared_ptr<TWin32Reader>>(Reader);
    const HANDLE thread = CreateThread(nullptr, 0, Proc, held.get(), 0, nullptr);
    if (thread == nullptr) return nullptr;
    held.release();
    // Read by the thread only after LetGo, whose lock orders it after this store.
    Reader->FThread = thread;
    return thread;
}

bool TWin32Reader::LetGo() {
    std::lock_guard<std::mutex> hold(FLock);
    if (FEnded) return false;
    FLetGo = true;
    return true;
}

template <class Use>
bool TWin32Reader::WithDrv(Use&& UseDrv) {
    std::lock_guard<std::mutex> hold(FLock);
    if (FLetGo || FDrv.Terminated.load()) return false;
    UseDrv(FDrv);
    return true;
}

bool TWin32Reader::Attached() {
    return WithDrv([](TCommDrv&) {});
}

void TWin32Reader::Run() {
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (overlapped.hEvent != nullptr) {
        uint8_t buffer[kReadChunk];
        while (Attached()) {
            DWORD mask = 0;
            bool fault = !WaitForCommEvent(overlapped, mask);
            if (!fault && (mask & EV_RXCHAR)) fault = !TakeWaiting(overlapped, buffer);
            if (fault) PauseAfterFault();
        }
        CloseHandle(overlapped.hEvent);
    }
    End();
}

void TWin32Reader::End() {
    {
        std::lock_guard<std::mutex> hold(FLock);
        FEnded = true;
        if (!FLetGo) return;
    }
    FCalls.CloseHandle(Port);
    CloseHandle(Wake);
    CloseHandle(FThread);
}

// Waits for a comm event; false when the wait failed. The result of a pending
// wait counts too: a removed device ends every wait with an error.
bool TWin32Reader::WaitForCommEvent(OVERLAPPED& Overlapped, DWORD& Mask) {
    Mask = 0;
    if (FCalls.WaitCommEvent(Port, &Mask, &Overlapped)) return true;
    if (GetLastError() != ERROR_IO_PENDING) return false;
    // A driver that keeps no event history (Wine's) signals only bytes that come
    // after the wait began: one that came since the queue was last found empty
    // would wait unseen until the panel sent more. Setting the mask again ends
    // the wait at once, and the bytes are taken.
    const bool queued = QueuedBytes() > 0;
    if (queued) FCalls.SetCommMask(Port, kCommEventMask);
    DWORD unused = 0;
    const bool ended = FCalls.GetOverlappedResult(Port, &Overlapped, &unused, TRUE);
    if (queued) Mask |= EV_RXCHAR;
    return ended || queued;
}

// Takes every byte the port holds; false when a read gave nothing of what the
// queue reported. With a full ring it waits for the consumer's wake-up: back
// in WaitCommEvent the rest would stay in the port until the panel sent more.
bool TWin32Reader::TakeWaiting(OVERLAPPED& Overlapped, uint8_t* Buffer) {
    for (;;) {
        const DWORD queued = QueuedBytes();
        if (queued == 0) return true;
        uint32_t room = 0;
        const auto measure = [&room](TCommDrv& Drv) {
            const uint32_t unread = Drv.ReceivedBytes.load(std::memory_order_acquire);
            room = unread < Drv.InpBufSize ? Drv.InpBufSize - unread : 0;
        };
        if (!WithDrv(measure)) return true;
        if (room == 0) {
            FCalls.WaitForSingleObject(Wake, INFINITE);
            continue;
        }
        const DWORD got = Read(Overlapped, Buffer, std::min({queued, DWORD(room), kReadChunk}));
        if (got == 0) return false;
        if (!WithDrv([&](TCommDrv& Drv) { CommDrvStoreReceived(Drv, Buffer, got); })) return true;
        FPauseMs = 0;
    }
}

DWORD TWin32Reader::QueuedBytes() {
    DWORD errors = 0;
    COMSTAT stat{};
    return FCalls.ClearCommError(Port, &errors, &stat) ? stat.cbInQue : 0;
}

DWORD TWin32Reader::Read(OVERLAPPED& Overlapped, uint8_t* Buffer, DWORD Count) {
    DWORD got = 0;
    if (FCalls.ReadFile(Port, Buffer, Count, &got, &Overlapped)) return got;
    if (GetLastError() != ERROR_IO_PENDING) return 0;
    return FCalls.GetOverlappedResult(Port, &Overlapped, &got, TRUE) ? got : 0;
}

// A port that fails a wait, or reports bytes it does not give, often does so
// again at once: trying again at once would spin, never trying again would
// leave the port deaf. Close's wake-up ends the pause.
void TWin32Reader::PauseAfterFault() {
    FPauseMs = FPauseMs == 0 ? kFirstPauseMs : std::min(FPauseMs * 2, kLastPauseMs);
    FCalls.WaitForSingleObject(Wake, FPauseMs);
}

}  // namespace zorv
