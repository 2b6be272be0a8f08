#pragma once
// One COM port's driver as a test scripts it, behind the serial backend's
// Win32 calls: what the device sends, waits that fail, reads that give nothing
// of what the queue reports, and a driver that ignores every cancel until
// Release(). The port is held exclusively, as Windows holds a COM port.
// Events, threads and the waits themselves are the system's.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "serial/CommCallsWin32.h"

namespace zorv::test {

struct TDriverScript {
    int FailedWaits = 0;            // so many waits fail before the device's bytes come
    bool FailWhilePending = false;  // they end with an error once pending, else they fail at once
    int EmptyReads = 0;             // so many reads give nothing while the queue reports bytes
    bool IgnoresCancel = false;     // a pending wait or read ends only at Release()
    std::string Bytes;              // what the device sends once the failed waits are through
    DWORD OutQueue = 0;             // bytes written that the driver never gets sent
};

class FakeCommCalls : public IWin32CommCalls {
public:
    void Play(const TDriverScript& Script);
    // The driver lets go of a pending operation: a wait ends without an event, a read with the queued bytes.
    void Release();

    // Each waits until its event, for at most a guard's time; false when it did not come.
    bool WaitUntilPending();
    bool WaitUntilPortFree();
    bool PortOpen();
    // The finite waits on Handle, in order.
    std::vector<DWORD> TimedWaits(HANDLE Handle);

    HANDLE CreateFileA(LPCSTR Name, DWORD Access, DWORD Share, LPSECURITY_ATTRIBUTES Security, DWORD Disposition,
                       DWORD Flags, HANDLE Template) override;
    BOOL CloseHandle(HANDLE Handle) override;
    BOOL SetCommMask(HANDLE Port, DWORD Mask) override;
    BOOL SetupComm(HANDLE, DWORD, DWORD) override { return TRUE; }
    BOOL PurgeComm(HANDLE Port, DWORD Flags) override;
    // The flags of each purge, in order.
    std::vector<DWORD> Purges();
    BOOL SetCommState(HANDLE, LPDCB) override { return TRUE; }
    BOOL SetCommTimeouts(HANDLE, LPCOMMTIMEOUTS) override { return TRUE; }
    BOOL ClearCommError(HANDLE Port, LPDWORD Errors, LPCOMSTAT Stat) override;
    BOOL WaitCommEvent(HANDLE Port, LPDWORD Mask, LPOVERLAPPED Overlapped) override;
    BOOL ReadFile(HANDLE Port, LPVOID Buffer, DWORD Count, LPDWORD Got, LPOVERLAPPED Overlapped) override;
    BOOL WriteFile(HANDLE Port, LPCVOID Buffer, DWORD Count, LPDWORD Written, LPOVERLAPPED Overlapped) override;
    // Waits for the pending operation to end, whatever Wait says.
    BOOL GetOverlappedResult(HANDLE Port, LPOVERLAPPED Overlapped, LPDWORD Count, BOOL Wait) override;
    BOOL CancelIoEx(HANDLE Port, LPOVERLAPPED Overlapped) override;
    DWORD WaitForSingleObject(HANDLE Handle, DWORD Milliseconds) override;

private:
    // The one operation a reader has pending; a read has a Buffer.
    struct TPending {
        LPDWORD Mask = nullptr;
        uint8_t* Buffer = nullptr;
        DWORD Count = 0;
        bool Done = false;
        DWORD Error = 0;
        DWORD Got = 0;
    };
    BOOL Pend(const TPending& Operation);
    void End(DWORD Error);
    DWORD TakeQueued(uint8_t* Buffer, DWORD Count);
    bool WaitUntil(std::unique_lock<std::mutex>& Lock, const std::function<bool()>& Event);

    std::mutex FLock;
    std::condition_variable FChanged;
    TDriverScript FScript;
    std::string FQueue;
    HANDLE FPort = nullptr;  // the open port, none while closed
    bool FHasPending = false;
    TPending FPending;
    std::vector<std::pair<HANDLE, DWORD>> FWaits;
    std::vector<DWORD> FPurges;
};

}  // namespace zorv::test
