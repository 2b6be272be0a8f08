// The driver's OS side on Windows: a COM port in overlapped mode, a reader
// thread that waits in WaitCommEvent, and writes that wait for completion.
#include <windows.h>

#include <cstring>
#include <string>

#include "serial/CommBackend.h"

namespace zorv {

namespace {

static_assert(sizeof(DCB) == sizeof(TDCB), "TDCB mirrors DCB member for member");

constexpr DWORD kEventMask = EV_RXCHAR | EV_TXEMPTY | EV_CTS | EV_DSR;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr int kReaderPriority = 8;

HANDLE H(TCommHandle Handle) { return reinterpret_cast<HANDLE>(Handle); }
TCommHandle C(HANDLE Handle) { return reinterpret_cast<TCommHandle>(Handle); }

// The one OVERLAPPED of the running reader, which its read step uses too.
thread_local OVERLAPPED* ReaderOverlapped = nullptr;

HANDLE NewOverlappedEvent() { return CreateEventA(nullptr, TRUE, FALSE, ""); }

DWORD WINAPI ReaderProc(LPVOID Parameter) {
    CommDrvReadThread(*static_cast<TCommDrv*>(Parameter));
    return 0;
}

class Win32CommBackend : public ICommBackend {
public:
    bool Open(TCommDrv& Drv) override {
        const std::string name = "\\\\.\\COM" + std::to_string(Drv.PortNumber);
        HANDLE port = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr);
        if (port == INVALID_HANDLE_VALUE) return false;
        DCB dcb;
        std::memcpy(&dcb, &Drv.DCB, sizeof dcb);
        HANDLE wake = nullptr;
        if (!SetCommMask(port, kEventMask) || !SetupComm(port, Drv.InpBufSize, OutQueueSize) ||
            !PurgeComm(port, kPurgeAll) || !SetCommState(port, &dcb) ||
            (wake = CreateEventA(nullptr, FALSE, FALSE, nullptr)) == nullptr) {
            CloseHandle(port);
            return false;
        }
        COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
        SetCommTimeouts(port, &timeouts);
        Drv.Handle = C(port);
        Drv.WakeHandle = C(wake);
        return true;
    }

    bool StartReader(TCommDrv& Drv) override {
        HANDLE thread = CreateThread(nullptr, 0, ReaderProc, &Drv, 0, nullptr);
        if (thread == nullptr) return false;
        SetThreadPriority(thread, kReaderPriority);
        Drv.ThreadHandle = C(thread);
        return true;
    }

    void StopReader(TCommDrv& Drv) override {
        // A new mask ends the pending WaitCommEvent; the event wakes a reader waiting for space or close.
        SetCommMask(H(Drv.Handle), 0);
        SetEvent(H(Drv.WakeHandle));
        WaitForSingleObject(H(Drv.ThreadHandle), INFINITE);
        CloseHandle(H(Drv.ThreadHandle));
        Drv.ThreadHandle = kCommHandleNone;
    }

    void WakeReader(TCommDrv& Drv) override { SetEvent(H(Drv.WakeHandle)); }

    void Close(TCommDrv& Drv) override {
        PurgeComm(H(Drv.Handle), kPurgeAll);
        CloseHandle(H(Drv.Handle));
        CloseHandle(H(Drv.WakeHandle));
        Drv.Handle = kCommHandleNone;
        Drv.WakeHandle = kCommHandleNone;
    }

    uint32_t Write(TCommHandle Handle, const uint8_t* Bytes, uint32_t Count) override {
        OVERLAPPED overlapped{};
        overlapped.hEvent = NewOverlappedEvent();
        if (overlapped.hEvent == nullptr) return 0;
        DWORD written = 0;
        if (!WriteFile(H(Handle), Bytes, Count, &written, &overlapped)) {
            written = 0;
            if (GetLastError() == ERROR_IO_PENDING) {
                // A device that stopped draining would hold the caller for ever.
                if (WaitForSingleObject(overlapped.hEvent, kWriteDeadlineMs) != WAIT_OBJECT_0)
                    CancelIoEx(H(Handle), &overlapped);
                GetOverlappedResult(H(Handle), &overlapped, &written, TRUE);
            }
        }
        CloseHandle(overlapped.hEvent);
        return written;
    }
};

void RefreshComStat(TCommDrv& Drv) {
    DWORD errors = 0;
    COMSTAT stat{};
    ClearCommError(H(Drv.Handle), &errors, &stat);
    Drv.ComStat.cbInQue = stat.cbInQue;
    Drv.ComStat.cbOutQue = stat.cbOutQue;
}

// Waits for a comm event; false when the wait failed (the device is gone).
bool WaitForCommEvent(TCommDrv& Drv, OVERLAPPED& Overlapped, DWORD& Mask) {
    Mask = 0;
    if (WaitCommEvent(H(Drv.Handle), &Mask, &Overlapped)) return true;
    if (GetLastError() != ERROR_IO_PENDING) return false;
    if (WaitForSingleObject(Overlapped.hEvent, INFINITE) == WAIT_OBJECT_0) {
        DWORD unused = 0;
        GetOverlappedResult(H(Drv.Handle), &Overlapped, &unused, FALSE);
    }
    return true;
}

bool RingFull(const TCommDrv& Drv) { return Drv.ReceivedBytes.load(std::memory_order_acquire) >= Drv.InpBufSize; }

}  // namespace

ICommBackend& PlatformCommBackend() {
    static Win32CommBackend backend;
    return backend;
}

void CommDrvReadThread(TCommDrv& Drv) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = NewOverlappedEvent();
    if (overlapped.hEvent == nullptr) return;
    ReaderOverlapped = &overlapped;
    const TCommReadStep read = [&Drv](uint8_t* destination, uint32_t count) {
        return CommDrvRead(Drv, destination, count);
    };
    while (!Drv.Terminated.load()) {
        DWORD mask = 0;
        // A failed wait (the device was unplugged) fails again at once; retrying
        // would spin, so the reader sleeps until close wakes it.
        if (!WaitForCommEvent(Drv, overlapped, mask)) WaitForSingleObject(H(Drv.WakeHandle), INFINITE);
        RefreshComStat(Drv);
        if (Drv.Terminated.load()) break;
        if (!(mask & EV_RXCHAR)) continue;
        // With a full ring the bytes wait in the port until the consumer makes room.
        while (RingFull(Drv) && !Drv.Terminated.load()) {
            WaitForSingleObject(H(Drv.WakeHandle), INFINITE);
            RefreshComStat(Drv);
        }
        CommDrvReceive(Drv, Drv.ComStat.cbInQue, read);
    }
    ReaderOverlapped = nullptr;
    CloseHandle(overlapped.hEvent);
}

uint32_t CommDrvRead(TCommDrv& Drv, uint8_t* Destination, uint32_t Count) {
    DWORD got = 0;
    if (ReadFile(H(Drv.Handle), Destination, Count, &got, ReaderOverlapped)) return got;
    if (GetLastError() != ERROR_IO_PENDING) return 0;
    if (!GetOverlappedResult(H(Drv.Handle), ReaderOverlapped, &got, TRUE)) return 0;
    ResetEvent(ReaderOverlapped->hEvent);
    return got;
}

}  // namespace zorv
