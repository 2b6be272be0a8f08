#pragma once
// The serial port driver: one program-wide driver state, a reader thread that
// moves received bytes into the receive ring of the buffered port, and
// synchronous writes. The OS side lives behind ICommBackend (CommBackend.h),
// which the buffered port is handed when it is made.
//
// The receive ring: the unread bytes are the ReceivedBytes bytes that start at
// StartInInpBuf, wrapping from InpBufSize - 1 to 0 (StartInInpBuf ==
// InpBufSize means index 0). The reader only appends behind them and only
// raises ReceivedBytes; the consumer copies bytes out, then moves
// StartInInpBuf forward and lowers ReceivedBytes by the count it took.
// ReceivedBytes is raised with release and read with acquire, so a byte it
// covers is always stored before the consumer sees it. The hand-over at the
// end of a scan (the consumer clears InpBufRead, then reads ReceivedBytes; the
// reader raises ReceivedBytes, then reads InpBufRead) is sequentially
// consistent on both sides, so at least one of them sees the other's store.
#include <atomic>
#include <cstdint>
#include <functional>

#include "serial/PortResult.h"

namespace zorv {

// A platform handle (a Win32 HANDLE or a POSIX descriptor); none is all bits set.
using TCommHandle = uintptr_t;
constexpr TCommHandle kCommHandleNone = ~TCommHandle(0);

// The platform's device-control block, member for member (28 bytes).
struct TDCB {
    uint32_t DCBlength = 0;
    uint32_t BaudRate = 0;
    uint32_t Flags = 0;  // bit 0 fBinary; the other bits are the Win32 flag bits
    uint16_t wReserved = 0;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 0;
    uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    uint16_t wReserved1 = 0;
};
static_assert(sizeof(TDCB) == 28, "TDCB mirrors the platform's DCB");

// The DCB values of one stop bit and no parity (ONESTOPBIT, NOPARITY).
constexpr uint8_t kOneStopBit = 0;
constexpr uint8_t kNoParity = 0;

// The platform's COMSTAT; only cbInQue (bytes waiting in the input queue) is used.
struct TComStat {
    uint32_t Flags = 0;
    uint32_t cbInQue = 0;
    uint32_t cbOutQue = 0;
};

class ICommBackend;

struct TCommDrv {
    // The OS side of the port; set by the buffered port that owns the driver state.
    ICommBackend* Backend = nullptr;
    TCommHandle Handle = kCommHandleNone;
    int32_t PortNumber = 0;
    TDCB DCB;
    TComStat ComStat;
    TCommHandle ThreadHandle = kCommHandleNone;
    uint8_t* InpBuf = nullptr;
    uint32_t InpBufSize = 0;
    std::atomic<uint32_t> ReceivedBytes{0};
    std::atomic<uint32_t> StartInInpBuf{0};
    std::atomic<bool> InpBufRead{false};
    std::atomic<bool> Terminated{false};
    // Called on the reader thread after bytes were stored; no sender is passed.
    std::function<void()> OnReceived;

    // Wakes the reader for close or when a full ring got space (eventfd or event).
    TCommHandle WakeHandle = kCommHandleNone;
    // Where the reader stores the next byte; the reader's own, reset by open and close.
    // Kept apart from StartInInpBuf + ReceivedBytes because the consumer moves those
    // two in separate steps, and their sum is wrong between the steps.
    uint32_t WritePos = 0;
    // The result of the last open: why it failed, kept for the error log.
    TPortResult OpenResult;
};

// The output queue size asked of the port.
constexpr uint32_t OutQueueSize = 4096;

// The one driver state of the program; only the buffered port touches it.
extern TCommDrv CommDrv;

// Opens CommDrv.PortNumber with CommDrv.DCB and starts the reader. False with
// Handle none when the port is missing, held by another, or rejects a setting;
// OpenResult then says why.
bool CommDrvOpen(TCommDrv& Drv);

// Stops the reader and waits for it to end, discards pending data and closes
// the port. Does nothing while Handle is none. The wait is bounded where the
// OS can leave the reader stuck in a driver: such a reader is let go with the
// port, which it releases when it ends, and it never touches Drv again.
void CommDrvClose(TCommDrv& Drv);

// Writes Count bytes and returns the count written, after the write completed
// or gave up: a device that stops draining is abandoned after kWriteDeadlineMs.
uint32_t CommDrvWrite(TCommDrv& Drv, const uint8_t* Bytes, uint32_t Count);
constexpr unsigned kWriteDeadlineMs = 2000;

// How long close waits for written bytes to leave before it discards them.
constexpr unsigned kCloseDrainMs = 500;

// The reader's store step for Waiting bytes reported waiting in the port:
// reads at most the ring's free space through Read, in one piece or, across
// the ring's end, in two; raises ReceivedBytes and, unless the consumer holds
// InpBufRead, calls OnReceived. Returns the count stored (0 once Terminated).
using TCommReadStep = std::function<uint32_t(uint8_t* Destination, uint32_t Count)>;
uint32_t CommDrvReceive(TCommDrv& Drv, uint32_t Waiting, const TCommReadStep& Read);

// CommDrvReceive with the bytes at hand instead of the port: the Windows reader, whose overlapped
// read has already filled its buffer, and the tests' fakes.
uint32_t CommDrvStoreReceived(TCommDrv& Drv, const uint8_t* Bytes, uint32_t Count);

// The consumer's indivisible lowering of ReceivedBytes (never below 0); wakes
// a reader that waits for space in a full ring.
void CommDrvTakeReceived(TCommDrv& Drv, uint32_t Count);

// The consumer's plain store of ReceivedBytes, for the idle ring.
void CommDrvSetReceived(TCommDrv& Drv, uint32_t Value);

}  // namespace zorv
