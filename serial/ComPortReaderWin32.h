#pragma once
// The reader thread of one open COM port, shared by the backend and the thread.
// Close waits for it only so long: a reader stuck in a driver that ignores the
// cancel is let go. From then on it owns the port's handles and closes them
// when it ends, and it never touches the driver state or its ring again, so
// the port can be opened anew as soon as the driver lets the reader go.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>

#include "serial/ComPortDrv.h"
#include "serial/CommCallsWin32.h"

namespace zorv {

constexpr DWORD kCommEventMask = EV_RXCHAR | EV_TXEMPTY | EV_CTS | EV_DSR;

class TWin32Reader {
public:
    TWin32Reader(IWin32CommCalls& Calls, TCommDrv& Drv, HANDLE Port, HANDLE Wake);
    TWin32Reader(const TWin32Reader&) = delete;
    TWin32Reader& operator=(const TWin32Reader&) = delete;

    // Starts the thread, which holds Reader until it ends; the thread's handle,
    // or nullptr with the system's reason in GetLastError.
    static HANDLE Start(const std::shared_ptr<TWin32Reader>& Reader);

    // Hands the port, the wake-up event and the thread's handle over to the
    // reader, to close when it ends. False when it has ended already: the
    // caller then waits for the thread and closes them itself.
    bool LetGo();

    const HANDLE Port;
    const HANDLE Wake;

private:
    static DWORD WINAPI Proc(LPVOID Parameter);
    void Run();
    void End();
    // Runs Use on the driver state while the reader is still the port's; false once it is not.
    template <class Use>
    bool WithDrv(Use&& UseDrv);
    bool Attached();
    bool WaitForCommEvent(OVERLAPPED& Overlapped, DWORD& Mask);
    bool TakeWaiting(OVERLAPPED& Overlapped, uint8_t* Buffer);
    DWORD QueuedBytes();
    DWORD Read(OVERLAPPED& Overlapped, uint8_t* Buffer, DWORD Count);
    void PauseAfterFault();

    IWin32CommCalls& FCalls;
    TCommDrv& FDrv;
    HANDLE FThread = nullptr;
    // The reader thread's own: how long it pauses after the next fault of the port.
    DWORD FPauseMs = 0;
    // Taken for every use of the driver state by the reader and for letting it go.
    std::mutex FLock;
    bool FLetGo = false;
    bool FEnded = false;
};

}  // namespace zorv
