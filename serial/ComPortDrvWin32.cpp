// The driver's OS side on Windows: a COM port in overlapped mode, a reader
// thread that waits in WaitCommEvent, and writes that wait for completion.
#include <windows.h>

#include <cstring>
#include <string>

#include "serial/CommBackendWin32.h"

namespace zorv {

namespace {

static_assert(sizeof(DCB) == sizeof(TDCB), "TDCB mirrors DCB member for member");

constexpr DWORD kEventMask = EV_RXCHAR | EV_TXEMPTY | EV_CTS | EV_DSR;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr int kReaderPriority = 8;
// How long close waits for the reader to end, and how often it cancels its I/O meanwhile.
constexpr DWORD kStopReaderMs = 2000;
constexpr DWORD kCancelAgainMs = 50;

HANDLE AsHandle(TCommHandle Handle) { return reinterpret_cast<HANDLE>(Handle); }
TCommHandle AsCommHandle(HANDLE Handle) { return reinterpret_cast<TCommHandle>(Handle); }

// The port, wake-up event and one OVERLAPPED of the running reader, which its
// read step uses too. The reader takes the handles once: close may clear them
// in Drv while a reader that did not end in time still runs.
thread_local HANDLE ReaderPort = INVALID_HANDLE_VALUE;
thread_local HANDLE ReaderWake = nullptr;
thread_local OVERLAPPED* ReaderOverlapped = nullptr;

// A reader that did not end when its port was closed, with the handles it may still use.
struct TStuckReader {
    HANDLE Thread = nullptr;
    HANDLE Port = INVALID_HANDLE_VALUE;
    HANDLE Wake = nullptr;
    bool Holds(HANDLE Handle) const { return Thread != nullptr && Handle == Port; }
};

HANDLE NewOverlappedEvent() { return CreateEventA(nullptr, TRUE, FALSE, ""); }

std::string PortName(int32_t PortNumber) { return "\\\\.\\COM" + std::to_string(PortNumber); }

DWORD WINAPI ReaderProc(LPVOID Parameter) {
    CommDrvReadThread(*static_cast<TCommDrv*>(Parameter));
    return 0;
}

class Win32CommBackend : public ICommBackend {
public:
    TPortResult Open(TCommDrv& Drv) override {
        const std::string name = PortName(Drv.PortNumber);
        if (!ReleaseStuckReader()) return PortFailure(ERROR_BUSY, name);
        HANDLE port = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr);
        if (port == INVALID_HANDLE_VALUE) return PortFailure(GetLastError(), name);
        DCB dcb;
        std::memcpy(&dcb, &Drv.DCB, sizeof dcb);
        HANDLE wake = nullptr;
        if (!SetCommMask(port, kEventMask) || !SetupComm(port, Drv.InpBufSize, OutQueueSize) ||
            !PurgeComm(port, kPurgeAll) || !SetCommState(port, &dcb) ||
            (wake = CreateEventA(nullptr, FALSE, FALSE, nullptr)) == nullptr) {
            const DWORD error = GetLastError();
            CloseHandle(port);
            return PortFailure(error, name);
        }
        COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
        SetCommTimeouts(port, &timeouts);
        Drv.Handle = AsCommHandle(port);
        Drv.WakeHandle = AsCommHandle(wake);
        return {};
    }

    TPortResult StartReader(TCommDrv& Drv) override {
        HANDLE thread = CreateThread(nullptr, 0, ReaderProc, &Drv, 0, nullptr);
        if (thread == nullptr) return PortFailure(GetLastError(), PortName(Drv.PortNumber));
        SetThreadPriority(thread, kReaderPriority);
        Drv.ThreadHandle = AsCommHandle(thread);
        return {};
    }

    void StopReader(TCommDrv& Drv) override {
        const HANDLE port = AsHandle(Drv.Handle);
        const HANDLE thread = AsHandle(Drv.ThreadHandle);
        // A new mask ends a pending WaitCommEvent only where the driver honours
        // it; the event wakes a reader waiting for space or after a failed wait.
        SetCommMask(port, 0);
        SetEvent(AsHandle(Drv.WakeHandle));
        // Cancelling does not depend on the driver's goodwill. It is repeated
        // because the reader may start another wait just before it sees Terminated.
        CancelIoEx(port, nullptr);
        const ULONGLONG deadline = GetTickCount64() + kStopReaderMs;
        while (WaitForSingleObject(thread, kCancelAgainMs) == WAIT_TIMEOUT) {
            if (GetTickCount64() >= deadline) {
                // A reader stuck in a driver is not waited for by the user-interface
                // thread; its handles stay open so that it never uses a reused one.
                FStuck = {thread, port, AsHandle(Drv.WakeHandle)};
                Drv.ThreadHandle = kCommHandleNone;
                return;
            }
            CancelIoEx(port, nullptr);
        }
        CloseHandle(thread);
        Drv.ThreadHandle = kCommHandleNone;
    }

    void WakeReader(TCommDrv& Drv) override { SetEvent(AsHandle(Drv.WakeHandle)); }

    void Close(TCommDrv& Drv) override {
        if (!FStuck.Holds(AsHandle(Drv.Handle))) {
            PurgeComm(AsHandle(Drv.Handle), kPurgeAll);
            CloseHandle(AsHandle(Drv.Handle));
            CloseHandle(AsHandle(Drv.WakeHandle));
        }
        Drv.Handle = kCommHandleNone;
        Drv.WakeHandle = kCommHandleNone;
    }

    uint32_t Write(TCommHandle Handle, const uint8_t* Bytes, uint32_t Count) override {
        OVERLAPPED overlapped{};
        overlapped.hEvent = NewOverlappedEvent();
        if (overlapped.hEvent == nullptr) return 0;
        DWORD written = 0;
        if (!WriteFile(AsHandle(Handle), Bytes, Count, &written, &overlapped)) {
            written = 0;
            if (GetLastError() == ERROR_IO_PENDING) {
                // A device that stopped draining would hold the caller for ever.
                if (WaitForSingleObject(overlapped.hEvent, kWriteDeadlineMs) != WAIT_OBJECT_0)
                    CancelIoEx(AsHandle(Handle), &overlapped);
                GetOverlappedResult(AsHandle(Handle), &overlapped, &written, TRUE);
            }
        }
        CloseHandle(overlapped.hEvent);
        return written;
    }

    bool Lost(TCommHandle Handle) override {
        // The driver of a removed device fails every request on the handle still held.
        DWORD errors = 0;
        COMSTAT stat{};
        return !ClearCommError(AsHandle(Handle), &errors, &stat);
    }

private:
    // The driver state is shared with a stuck reader: no open until it ended.
    bool ReleaseStuckReader() {
        if (FStuck.Thread == nullptr) return true;
        if (WaitForSingleObject(FStuck.Thread, kStopReaderMs) != WAIT_OBJECT_0) return false;
        CloseHandle(FStuck.Thread);
        CloseHandle(FStuck.Port);
        CloseHandle(FStuck.Wake);
        FStuck = {};
        return true;
    }

    TStuckReader FStuck;
};

void RefreshComStat(TCommDrv& Drv) {
    DWORD errors = 0;
    COMSTAT stat{};
    ClearCommError(ReaderPort, &errors, &stat);
    Drv.ComStat.cbInQue = stat.cbInQue;
    Drv.ComStat.cbOutQue = stat.cbOutQue;
}

bool BytesQueued() {
    DWORD errors = 0;
    COMSTAT stat{};
    return ClearCommError(ReaderPort, &errors, &stat) && stat.cbInQue > 0;
}

// Waits for a comm event; false when the wait failed. The result of a pending
// wait counts too: a removed device ends every wait with an error.
bool WaitForCommEvent(OVERLAPPED& Overlapped, DWORD& Mask) {
    Mask = 0;
    if (WaitCommEvent(ReaderPort, &Mask, &Overlapped)) return true;
    if (GetLastError() != ERROR_IO_PENDING) return false;
    // A driver that keeps no event history (Wine's) signals only bytes that come
    // after the wait began: one that came since the queue was last found empty
    // would wait unseen until the panel sent more. Setting the mask again ends
    // the wait at once, and the bytes are taken.
    const bool queued = BytesQueued();
    if (queued) SetCommMask(ReaderPort, kEventMask);
    DWORD unused = 0;
    const bool ended = WaitForSingleObject(Overlapped.hEvent, INFINITE) == WAIT_OBJECT_0 &&
                       GetOverlappedResult(ReaderPort, &Overlapped, &unused, FALSE);
    if (queued) Mask |= EV_RXCHAR;
    return ended || queued;
}

bool RingFull(const TCommDrv& Drv) { return Drv.ReceivedBytes.load(std::memory_order_acquire) >= Drv.InpBufSize; }

// Takes every byte the port holds. With a full ring it waits for the consumer's
// wake-up: back in WaitCommEvent the rest would stay in the port until the
// panel sends something else.
void TakeWaiting(TCommDrv& Drv, const TCommReadStep& Read) {
    for (;;) {
        RefreshComStat(Drv);
        if (Drv.Terminated.load() || Drv.ComStat.cbInQue == 0) return;
        if (RingFull(Drv))
            WaitForSingleObject(ReaderWake, INFINITE);
        else if (CommDrvReceive(Drv, Drv.ComStat.cbInQue, Read) == 0)
            return;
    }
}

}  // namespace

std::unique_ptr<ICommBackend> MakeWin32CommBackend() { return std::make_unique<Win32CommBackend>(); }

void CommDrvReadThread(TCommDrv& Drv) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = NewOverlappedEvent();
    if (overlapped.hEvent == nullptr) return;
    ReaderPort = AsHandle(Drv.Handle);
    ReaderWake = AsHandle(Drv.WakeHandle);
    ReaderOverlapped = &overlapped;
    const TCommReadStep read = [&Drv](uint8_t* destination, uint32_t count) {
        return CommDrvRead(Drv, destination, count);
    };
    while (!Drv.Terminated.load()) {
        DWORD mask = 0;
        // A failed wait fails again at once; retrying would spin, so the reader
        // sleeps until close (or a consumer's wake-up, after which it tries once more).
        if (!WaitForCommEvent(overlapped, mask)) {
            WaitForSingleObject(ReaderWake, INFINITE);
            continue;
        }
        if (Drv.Terminated.load()) break;
        if (mask & EV_RXCHAR)
            TakeWaiting(Drv, read);
        else
            RefreshComStat(Drv);
    }
    ReaderOverlapped = nullptr;
    CloseHandle(overlapped.hEvent);
}

uint32_t CommDrvRead(TCommDrv& /*Drv*/, uint8_t* Destination, uint32_t Count) {
    DWORD got = 0;
    if (ReadFile(ReaderPort, Destination, Count, &got, ReaderOverlapped)) return got;
    if (GetLastError() != ERROR_IO_PENDING) return 0;
    if (!GetOverlappedResult(ReaderPort, ReaderOverlapped, &got, TRUE)) return 0;
    ResetEvent(ReaderOverlapped->hEvent);
    return got;
}

}  // namespace zorv
