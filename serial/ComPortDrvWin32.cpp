// The driver's OS side on Windows: a COM port in overlapped mode, a reader
// thread that waits in WaitCommEvent (ComPortReaderWin32.cpp), and writes
// that wait for completion.
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "serial/ComPortReaderWin32.h"
#include "serial/CommBackendWin32.h"
#include "serial/CommCallsWin32.h"

namespace zorv {

namespace {

static_assert(sizeof(DCB) == sizeof(TDCB), "TDCB mirrors DCB member for member");

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kPurgeInput = PURGE_RXABORT | PURGE_RXCLEAR;
constexpr int kReaderPriority = 8;
// How long close waits for the reader to end, and how often it cancels its I/O meanwhile.
constexpr DWORD kStopReaderMs = 2000;
constexpr DWORD kCancelAgainMs = 50;

TCommHandle AsCommHandle(HANDLE Handle) { return reinterpret_cast<TCommHandle>(Handle); }

HANDLE NewOverlappedEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }

std::string PortName(int32_t PortNumber) { return "\\\\.\\COM" + std::to_string(PortNumber); }

class Win32CommBackend : public ICommBackend {
public:
    explicit Win32CommBackend(IWin32CommCalls& Calls) : FCalls(Calls) {}

    TPortResult Open(TCommDrv& Drv) override {
        const std::string name = PortName(Drv.PortNumber);
        HANDLE port = FCalls.CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_OVERLAPPED, nullptr);
        if (port == INVALID_HANDLE_VALUE) return PortFailure(GetLastError(), name);
        DCB dcb;
        std::memcpy(&dcb, &Drv.DCB, sizeof dcb);
        HANDLE wake = nullptr;
        // Only the input is discarded: a command written just before the last close ("reset")
        // may not have reached the device yet.
        if (!FCalls.SetCommMask(port, kCommEventMask) || !FCalls.SetupComm(port, Drv.InpBufSize, OutQueueSize) ||
            !FCalls.PurgeComm(port, kPurgeInput) || !FCalls.SetCommState(port, &dcb) ||
            (wake = CreateEventA(nullptr, FALSE, FALSE, nullptr)) == nullptr) {
            const DWORD error = GetLastError();
            FCalls.CloseHandle(port);
            return PortFailure(error, name);
        }
        COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
        FCalls.SetCommTimeouts(port, &timeouts);
        FReader = std::make_shared<TWin32Reader>(FCalls, Drv, port, wake);
        Drv.Handle = AsCommHandle(port);
        Drv.WakeHandle = AsCommHandle(wake);
        return {};
    }

    TPortResult StartReader(TCommDrv& Drv) override {
        const HANDLE thread = TWin32Reader::Start(FReader);
        if (thread == nullptr) return PortFailure(GetLastError(), PortName(Drv.PortNumber));
        SetThreadPriority(thread, kReaderPriority);
        Drv.ThreadHandle = AsCommHandle(thread);
        FThread = thread;
        return {};
    }

    void StopReader(TCommDrv& Drv) override {
        const HANDLE port = FReader->Port;
        // A new mask ends a pending WaitCommEvent only where the driver honours
        // it; the event wakes a reader waiting for space or pausing after a fault.
        FCalls.SetCommMask(port, 0);
        SetEvent(FReader->Wake);
        // Cancelling does not depend on the driver's goodwill. It is repeated
        // because the reader may start another wait just before it sees Terminated.
        FCalls.CancelIoEx(port, nullptr);
        const ULONGLONG deadline = GetTickCount64() + kStopReaderMs;
        while (WaitForSingleObject(FThread, kCancelAgainMs) == WAIT_TIMEOUT) {
            // A reader stuck in a driver is not waited for by the user-interface
            // thread: it is let go with the port, which it closes when it ends.
            if (GetTickCount64() >= deadline && FReader->LetGo()) {
                FReader.reset();
                break;
            }
            FCalls.CancelIoEx(port, nullptr);
        }
        if (FReader) CloseHandle(FThread);
        FThread = nullptr;
        Drv.ThreadHandle = kCommHandleNone;
    }

    void WakeReader(TCommDrv& Drv) override { SetEvent(reinterpret_cast<HANDLE>(Drv.WakeHandle)); }

    void Close(TCommDrv& Drv) override {
        if (FReader) {
            // The last command before a close is often "reset" or "START_MAIN": a purge drops what
            // the driver has not yet sent, so it is let leave first. Output that a stalled device
            // never takes is dropped after the deadline, so close cannot block on it.
            FCalls.PurgeComm(FReader->Port, DrainOutput(FReader->Port) ? kPurgeInput : kPurgeAll);
            FCalls.CloseHandle(FReader->Port);
            CloseHandle(FReader->Wake);
            FReader.reset();
        }
        Drv.Handle = kCommHandleNone;
        Drv.WakeHandle = kCommHandleNone;
    }

    uint32_t Write(TCommHandle Handle, const uint8_t* Bytes, uint32_t Count) override {
        const HANDLE port = reinterpret_cast<HANDLE>(Handle);
        OVERLAPPED overlapped{};
        overlapped.hEvent = NewOverlappedEvent();
        if (overlapped.hEvent == nullptr) return 0;
        DWORD written = 0;
        if (!FCalls.WriteFile(port, Bytes, Count, &written, &overlapped)) {
            written = 0;
            if (GetLastError() == ERROR_IO_PENDING) {
                // A device that stopped draining would hold the caller for ever.
                if (WaitForSingleObject(overlapped.hEvent, kWriteDeadlineMs) != WAIT_OBJECT_0)
                    FCalls.CancelIoEx(port, &overlapped);
                FCalls.GetOverlappedResult(port, &overlapped, &written, TRUE);
            }
        }
        CloseHandle(overlapped.hEvent);
        return written;
    }

    bool Lost(TCommHandle Handle) override {
        // The driver of a removed device fails every request on the handle still held.
        DWORD errors = 0;
        COMSTAT stat{};
        return !FCalls.ClearCommError(reinterpret_cast<HANDLE>(Handle), &errors, &stat);
    }

private:
    // Waits until the driver's output queue is empty; false when it is not by kCloseDrainMs.
    bool DrainOutput(HANDLE Port) {
        const ULONGLONG deadline = GetTickCount64() + kCloseDrainMs;
        for (;;) {
            DWORD errors = 0;
            COMSTAT stat{};
            if (!FCalls.ClearCommError(Port, &errors, &stat) || stat.cbOutQue == 0) return true;
            if (GetTickCount64() >= deadline) return false;
            Sleep(2);
        }
    }

    IWin32CommCalls& FCalls;
    // The reader of the current open, with the port's and wake-up event's
    // handles; none after a reader was let go, which then owns them.
    std::shared_ptr<TWin32Reader> FReader;
    HANDLE FThread = nullptr;
};

}  // namespace

std::unique_ptr<ICommBackend> MakeWin32CommBackend(IWin32CommCalls& Calls) {
    return std::make_unique<Win32CommBackend>(Calls);
}

std::unique_ptr<ICommBackend> MakeWin32CommBackend() { return MakeWin32CommBackend(Kernel32CommCalls()); }

}  // namespace zorv
