#pragma once
// The buffered serial port: line settings, the receive ring that the driver's
// reader thread fills, and the 10 ms input timer that turns the reader's
// notifications into one OnReceiveData on the user-interface thread.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "foundation/MessageLoop.h"
#include "serial/PortResult.h"

namespace zorv {

class ICommBackend;

enum TComPortStatus : uint16_t {
    cpsClosed = 0xFF00,
    cpsOpened = 0xFF01,
    cpsOpenError = 0xFF02,
};

class TComPortUS {
public:
    using TPortEvent = std::function<void(TComPortUS* Sender)>;

    TComPortUS(IMessageLoop& loop, ICommBackend& backend);  // Create
    ~TComPortUS();                                          // Destroy
    TComPortUS(const TComPortUS&) = delete;
    TComPortUS& operator=(const TComPortUS&) = delete;

    TPortEvent OnReceiveData;
    TPortEvent OnOpen;

    uint16_t Status() const;
    // The system's reason when the last open failed (Status cpsOpenError).
    const TPortResult& OpenResult() const;
    bool Active() const;
    void SetActive(bool Value);

    int32_t Port() const;
    void SetPort(int32_t Value);
    uint32_t BaudRate() const;
    void SetBaudRate(uint32_t Value);
    uint8_t DataBits() const;
    void SetDataBits(uint8_t Value);
    uint8_t StopBits() const;
    void SetStopBits(uint8_t Value);
    uint8_t Parity() const;
    void SetParity(uint8_t Value);
    uint32_t InpBufSize() const;
    void SetInpBufSize(uint32_t Value);

    // The consumer's side of the receive ring (see ComPortDrv.h): copy the bytes
    // out, then, with InpBufRead set, move StartInInpBuf forward and lower
    // ReceivedBytes by the count taken.
    const uint8_t* InpBuf() const;
    uint32_t ReceivedBytes() const;
    // A plain store; while the reader runs, lower the count with TakeReceivedBytes.
    // Part of the ring's published interface, though the program's own consumer
    // only takes bytes; kept so that the interface stays whole for other consumers.
    void SetReceivedBytes(uint32_t Value);
    // Lowers ReceivedBytes by Count (never below 0) indivisibly with respect to the reader.
    void TakeReceivedBytes(uint32_t Count);
    uint32_t StartInInpBuf() const;
    void SetStartInInpBuf(uint32_t Value);
    void SetInpBufRead(bool Value);

    void PutBlock(const uint8_t* Bytes, size_t Count);
    // The port is open, but its device has gone (unplugged, or away in a restart).
    bool Lost() const;

    // Called by the driver on the reader thread after bytes were stored.
    void OnReceivedBytes();
    void OnInpTimer(ITimer* Sender);

private:
    void OpenPort();
    // Closes an active port around storing a changed setting, then opens it again.
    template <class Store>
    void ChangeSetting(Store&& StoreValue);

    struct TState;
    std::unique_ptr<TState> FState;
};

}  // namespace zorv
