#include "serial/ComPortUS.h"

#include <algorithm>
#include <atomic>
#include <limits>

#include "foundation/ExceptionGuard.h"
#include "serial/ComPortDrv.h"
#include "serial/CommBackend.h"

namespace zorv {

namespace {

constexpr uint32_t kInitialInpBufSize = 4096;
constexpr unsigned kInpTimerMs = 10;

constexpr uint32_t kBaudRates[] = {110,   300,   600,    1200,   2400,   4800,   7200,   9600,   14400, 19200,
                                   38400, 56000, 57600, 115200, 128000, 230400, 256000, 460800, 921600};

uint32_t CheckedBaudRate(uint32_t Value) {
    return std::find(std::begin(kBaudRates), std::end(kBaudRates), Value) != std::end(kBaudRates) ? Value : 9600;
}

uint8_t CheckedStopBits(uint8_t Value) { return Value <= 2 ? Value : 0; }

uint8_t CheckedParity(uint8_t Value) { return Value <= 4 ? Value : 0; }

TDCB InitialDcb() {
    TDCB dcb;
    dcb.DCBlength = sizeof(TDCB);
    dcb.BaudRate = 38400;
    dcb.Flags = 1;  // fBinary only: no flow control, DTR and RTS disabled
    dcb.ByteSize = 8;
    return dcb;
}

}  // namespace

// The reader's notification reaches the user-interface thread through this:
// the first one posts the timer's arming, later ones find it armed already.
// Posted functions hold it weakly, so a port destroyed before they run is not touched.
struct TInputSignal {
    std::atomic<bool> Armed{false};
    std::unique_ptr<ITimer> Timer;
};

struct TComPortUS::TState {
    explicit TState(IMessageLoop& Loop) : Loop(Loop), Signal(std::make_shared<TInputSignal>()) {}
    IMessageLoop& Loop;
    uint16_t Status = cpsClosed;
    // Not zeroed: the reader stores every byte before the consumer may read it,
    // and a large ring then costs no memory until it is used.
    std::unique_ptr<uint8_t[]> InpBuf;
    bool Active = false;
    std::shared_ptr<TInputSignal> Signal;
};

TComPortUS::TComPortUS(IMessageLoop& Loop, ICommBackend& Backend) : FState(std::make_unique<TState>(Loop)) {
    Guarded("TComPortUS.Create", [&] {
        CommDrv.Backend = &Backend;
        CommDrv.DCB = InitialDcb();
        FState->InpBuf.reset(new uint8_t[kInitialInpBufSize]);
        CommDrv.InpBuf = FState->InpBuf.get();
        CommDrv.InpBufSize = kInitialInpBufSize;
        CommDrv.ReceivedBytes.store(0);
        CommDrv.Terminated.store(false);
        CommDrv.OnReceived = [this] { OnReceivedBytes(); };
        FState->Status = cpsClosed;
        FState->Signal->Timer =
            FState->Loop.CreateTimer(kInpTimerMs, [this](ITimer* Sender) { OnInpTimer(Sender); }, false);
    });
}

TComPortUS::~TComPortUS() {
    Guarded("TComPortUS.Destroy", [&] {
        if (FState->Active) CommDrvClose(CommDrv);
        CommDrv.OnReceived = nullptr;
        CommDrv.InpBuf = nullptr;
        CommDrv.InpBufSize = 0;
    });
}

uint16_t TComPortUS::Status() const { return FState->Status; }

const TPortResult& TComPortUS::OpenResult() const { return CommDrv.OpenResult; }

bool TComPortUS::Active() const { return FState->Active; }

void TComPortUS::SetActive(bool Value) {
    Guarded("TComPortUS.SetActive", [&] {
        if (Value == FState->Active) return;
        FState->Active = Value;
        if (Value)
            OpenPort();
        else
            CommDrvClose(CommDrv);
    });
}

void TComPortUS::OpenPort() {
    if (!CommDrvOpen(CommDrv)) {
        FState->Status = cpsOpenError;
        return;
    }
    FState->Status = cpsOpened;
    if (OnOpen) OnOpen(this);
}

template <class Store>
void TComPortUS::ChangeSetting(Store&& StoreValue) {
    const bool active = FState->Active;
    if (active) CommDrvClose(CommDrv);
    StoreValue();
    if (active) OpenPort();
}

int32_t TComPortUS::Port() const { return CommDrv.PortNumber; }

void TComPortUS::SetPort(int32_t Value) {
    if (Value != CommDrv.PortNumber) ChangeSetting([&] { CommDrv.PortNumber = Value; });
}

uint32_t TComPortUS::BaudRate() const { return CommDrv.DCB.BaudRate; }

void TComPortUS::SetBaudRate(uint32_t Value) {
    if (Value != CommDrv.DCB.BaudRate) ChangeSetting([&] { CommDrv.DCB.BaudRate = CheckedBaudRate(Value); });
}

uint8_t TComPortUS::DataBits() const { return CommDrv.DCB.ByteSize; }

void TComPortUS::SetDataBits(uint8_t Value) {
    if (Value != CommDrv.DCB.ByteSize) ChangeSetting([&] { CommDrv.DCB.ByteSize = Value; });
}

uint8_t TComPortUS::StopBits() const { return CommDrv.DCB.StopBits; }

void TComPortUS::SetStopBits(uint8_t Value) {
    if (Value != CommDrv.DCB.StopBits) ChangeSetting([&] { CommDrv.DCB.StopBits = CheckedStopBits(Value); });
}

uint8_t TComPortUS::Parity() const { return CommDrv.DCB.Parity; }

void TComPortUS::SetParity(uint8_t Value) {
    if (Value != CommDrv.DCB.Parity) ChangeSetting([&] { CommDrv.DCB.Parity = CheckedParity(Value); });
}

uint32_t TComPortUS::InpBufSize() const { return CommDrv.InpBufSize; }

void TComPortUS::SetInpBufSize(uint32_t Value) {
    if (Value == CommDrv.InpBufSize) return;
    std::unique_ptr<uint8_t[]> ring(new uint8_t[Value]);  // allocated first: a failure leaves the old ring in place
    ChangeSetting([&] {
        FState->InpBuf.swap(ring);
        CommDrv.InpBuf = FState->InpBuf.get();
        CommDrv.InpBufSize = Value;
        CommDrv.ReceivedBytes.store(0);
        CommDrv.StartInInpBuf.store(0);
        CommDrv.WritePos = 0;
    });
}

const uint8_t* TComPortUS::InpBuf() const { return FState->InpBuf.get(); }

// Sequentially consistent, as the flag store below and the reader's side: with
// release and acquire alone the reader could still see the flag set (and stay
// silent) while this load still returned the old count (and the scan stopped).
uint32_t TComPortUS::ReceivedBytes() const { return CommDrv.ReceivedBytes.load(std::memory_order_seq_cst); }

void TComPortUS::SetReceivedBytes(uint32_t Value) {
    Guarded("TComPortUS.SetReceivedBytes", [&] { CommDrvSetReceived(CommDrv, Value); });
}

void TComPortUS::TakeReceivedBytes(uint32_t Count) {
    Guarded("TComPortUS.TakeReceivedBytes", [&] { CommDrvTakeReceived(CommDrv, Count); });
}

uint32_t TComPortUS::StartInInpBuf() const { return CommDrv.StartInInpBuf.load(std::memory_order_acquire); }

void TComPortUS::SetStartInInpBuf(uint32_t Value) {
    Guarded("TComPortUS.StartInInpBuf", [&] { CommDrv.StartInInpBuf.store(Value, std::memory_order_release); });
}

void TComPortUS::SetInpBufRead(bool Value) {
    Guarded("TComPortUS.SetInpBufRead", [&] { CommDrv.InpBufRead.store(Value, std::memory_order_seq_cst); });
}

void TComPortUS::PutBlock(const uint8_t* Bytes, size_t Count) {
    Guarded("TComPortUS.PutBlock", [&] {
        while (Count > 0) {
            const uint32_t piece = static_cast<uint32_t>(std::min<size_t>(Count, std::numeric_limits<uint32_t>::max()));
            if (CommDrvWrite(CommDrv, Bytes, piece) < piece) return;
            Bytes += piece;
            Count -= piece;
        }
    });
}

bool TComPortUS::Lost() const {
    return FState->Active && CommDrv.Handle != kCommHandleNone && CommDrv.Backend &&
           CommDrv.Backend->Lost(CommDrv.Handle);
}

void TComPortUS::OnReceivedBytes() {
    Guarded("TComPortUS.OnReceivedBytes", [&] {
        if (CommDrv.ReceivedBytes.load(std::memory_order_acquire) == 0) return;
        if (FState->Signal->Armed.exchange(true)) return;
        // Timers belong to the user-interface thread; arm this one there.
        std::weak_ptr<TInputSignal> signal = FState->Signal;
        FState->Loop.RunOnUiThread([signal] {
            if (auto alive = signal.lock()) alive->Timer->SetEnabled(true);
        });
    });
}

void TComPortUS::OnInpTimer(ITimer* Sender) {
    Guarded("TComPortUS.OnInpTimer", [&] {
        FState->Signal->Timer->SetEnabled(false);
        // Cleared before the event: bytes that come while the consumer runs arm the timer again.
        FState->Signal->Armed.store(false);
        if (OnReceiveData) OnReceiveData(this);
    });
}

}  // namespace zorv
