#include "serial/CommCallsWin32.h"

namespace zorv {

namespace {

class Kernel32Calls : public IWin32CommCalls {
public:
    HANDLE CreateFileA(LPCSTR Name, DWORD Access, DWORD Share, LPSECURITY_ATTRIBUTES Security, DWORD Disposition,
                       DWORD Flags, HANDLE Template) override {
        return ::CreateFileA(Name, Access, Share, Security, Disposition, Flags, Template);
    }
    BOOL CloseHandle(HANDLE Handle) override { return ::CloseHandle(Handle); }
    BOOL SetCommMask(HANDLE Port, DWORD Mask) override { return ::SetCommMask(Port, Mask); }
    BOOL SetupComm(HANDLE Port, DWORD InQueue, DWORD OutQueue) override {
        return ::SetupComm(Port, InQueue, OutQueue);
    }
    BOOL PurgeComm(HANDLE Port, DWORD Flags) override { return ::PurgeComm(Port, Flags); }
    BOOL SetCommState(HANDLE Port, LPDCB Dcb) override { return ::SetCommState(Port, Dcb); }
    BOOL SetCommTimeouts(HANDLE Port, LPCOMMTIMEOUTS Timeouts) override { return ::SetCommTimeouts(Port, Timeouts); }
    BOOL ClearCommError(HANDLE Port, LPDWORD Errors, LPCOMSTAT Stat) override {
        return ::ClearCommError(Port, Errors, Stat);
    }
    BOOL WaitCommEvent(HANDLE Port, LPDWORD Mask, LPOVERLAPPED Overlapped) override {
        return ::WaitCommEvent(Port, Mask, Overlapped);
    }
    BOOL ReadFile(HANDLE Port, LPVOID Buffer, DWORD Count, LPDWORD Got, LPOVERLAPPED Overlapped) override {
        return ::ReadFile(Port, Buffer, Count, Got, Overlapped);
    }
    BOOL WriteFile(HANDLE Port, LPCVOID Buffer, DWORD Count, LPDWORD Written, LPOVERLAPPED Overlapped) override {
        return ::WriteFile(Port, Buffer, Count, Written, Overlapped);
    }
    BOOL GetOverlappedResult(HANDLE Port, LPOVERLAPPED Overlapped, LPDWORD Count, BOOL Wait) override {
        return ::GetOverlappedResult(Port, Overlapped, Count, Wait);
    }
    BOOL CancelIoEx(HANDLE Port, LPOVERLAPPED Overlapped) override { return ::CancelIoEx(Port, Overlapped); }
    DWORD WaitForSingleObject(HANDLE Handle, DWORD Milliseconds) override {
        return ::WaitForSingleObject(Handle, Milliseconds);
    }
};

}  // namespace

IWin32CommCalls& Kernel32CommCalls() {
    static Kernel32Calls calls;
    return calls;
}

}  // namespace zorv
