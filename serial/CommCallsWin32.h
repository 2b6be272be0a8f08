#pragma once
// The Win32 calls the serial backend makes on a COM port and the waits of its
// reader, with the system's own signatures. The program uses kernel32's;
// tests play drivers that Wine cannot (one that ignores a cancel, a wait that
// fails, a queue that reports bytes it does not give) through their own.
// Events and threads are the system's and are not routed through here.
#include <windows.h>

namespace zorv {

class IWin32CommCalls {
public:
    virtual ~IWin32CommCalls() = default;
    virtual HANDLE CreateFileA(LPCSTR Name, DWORD Access, DWORD Share, LPSECURITY_ATTRIBUTES Security,
                               DWORD Disposition, DWORD Flags, HANDLE Template) = 0;
    virtual BOOL CloseHandle(HANDLE Handle) = 0;
    virtual BOOL SetCommMask(HANDLE Port, DWORD Mask) = 0;
    virtual BOOL SetupComm(HANDLE Port, DWORD InQueue, DWORD OutQueue) = 0;
    virtual BOOL PurgeComm(HANDLE Port, DWORD Flags) = 0;
    virtual BOOL SetCommState(HANDLE Port, LPDCB Dcb) = 0;
    virtual BOOL SetCommTimeouts(HANDLE Port, LPCOMMTIMEOUTS Timeouts) = 0;
    virtual BOOL ClearCommError(HANDLE Port, LPDWORD Errors, LPCOMSTAT Stat) = 0;
    virtual BOOL WaitCommEvent(HANDLE Port, LPDWORD Mask, LPOVERLAPPED Overlapped) = 0;
    virtual BOOL ReadFile(HANDLE Port, LPVOID Buffer, DWORD Count, LPDWORD Got, LPOVERLAPPED Overlapped) = 0;
    virtual BOOL WriteFile(HANDLE Port, LPCVOID Buffer, DWORD Count, LPDWORD Written, LPOVERLAPPED Overlapped) = 0;
    virtual BOOL GetOverlappedResult(HANDLE Port, LPOVERLAPPED Overlapped, LPDWORD Count, BOOL Wait) = 0;
    virtual BOOL CancelIoEx(HANDLE Port, LPOVERLAPPED Overlapped) = 0;
    virtual DWORD WaitForSingleObject(HANDLE Handle, DWORD Milliseconds) = 0;
};

// The system's own calls.
IWin32CommCalls& Kernel32CommCalls();

}  // namespace zorv
