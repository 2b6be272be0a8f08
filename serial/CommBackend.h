#pragma once
// The OS side of the serial port driver. The driver's portable steps
// (ComPortDrv.cpp) call the backend the buffered port was handed: the
// platform's (CommBackendLinux.h, CommBackendWin32.h) or a test's.
#include <cstdint>

#include "serial/ComPortDrv.h"
#include "serial/PortResult.h"

namespace zorv {

class ICommBackend {
public:
    virtual ~ICommBackend() = default;
    // Opens port Drv.PortNumber exclusively, applies Drv.DCB, empties both
    // queues and sets Drv.Handle (and Drv.WakeHandle when it uses one). On a
    // failure, the system's reason, with everything it took released and Handle none.
    virtual TPortResult Open(TCommDrv& Drv) = 0;
    // Starts the reader thread of the current open; sets Drv.ThreadHandle.
    virtual TPortResult StartReader(TCommDrv& Drv) = 0;
    // Wakes the reader (Drv.Terminated is already set) and waits until it ended,
    // or, where a driver can hold it, until a bound after which it is let go
    // with the port's handles, to release them itself when it ends.
    virtual void StopReader(TCommDrv& Drv) = 0;
    // Wakes a reader that waits for space in a full ring; callable from the consumer's thread.
    virtual void WakeReader(TCommDrv& Drv) = 0;
    // Discards pending data and releases the port; Handle none afterwards.
    virtual void Close(TCommDrv& Drv) = 0;
    // Writes, giving up after kWriteDeadlineMs; returns the count written.
    virtual uint32_t Write(TCommHandle Handle, const uint8_t* Bytes, uint32_t Count) = 0;
    // The open port's device has gone (unplugged or restarted), though the handle is still held.
    virtual bool Lost(TCommHandle Handle) = 0;
};

}  // namespace zorv
