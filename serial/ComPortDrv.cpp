#include "serial/ComPortDrv.h"

#include <algorithm>
#include <cstring>

#include "serial/CommBackend.h"

namespace zorv {

TCommDrv CommDrv;

namespace {

void ResetRing(TCommDrv& Drv) {
    Drv.InpBufRead.store(false);
    Drv.ReceivedBytes.store(0);
    Drv.StartInInpBuf.store(0);
    Drv.WritePos = 0;
}

// A reader that found the ring full waits for the consumer; tell it space is free.
void WakeIfWasFull(TCommDrv& Drv, uint32_t Before, uint32_t After) {
    if (Before >= Drv.InpBufSize && After < Before && Drv.Handle != kCommHandleNone) Drv.Backend->WakeReader(Drv);
}

}  // namespace

bool CommDrvOpen(TCommDrv& Drv) {
    if (Drv.Backend == nullptr) {
        Drv.OpenResult = TPortResult{poFailed, 0, "no port backend", std::string()};
        return false;
    }
    ICommBackend& backend = *Drv.Backend;
    Drv.OpenResult = backend.Open(Drv);
    if (!Drv.OpenResult) {
        Drv.Handle = kCommHandleNone;
        return false;
    }
    Drv.Terminated.store(false);
    ResetRing(Drv);
    Drv.OpenResult = backend.StartReader(Drv);
    if (!Drv.OpenResult) {
        backend.Close(Drv);
        Drv.Handle = kCommHandleNone;
        return false;
    }
    return true;
}

void CommDrvClose(TCommDrv& Drv) {
    if (Drv.Handle == kCommHandleNone) return;
    ICommBackend& backend = *Drv.Backend;
    Drv.Terminated.store(true);
    // The reader must have ended before the ring is reset, the port released
    // or the ring freed by the caller.
    backend.StopReader(Drv);
    ResetRing(Drv);
    backend.Close(Drv);
    Drv.Handle = kCommHandleNone;
    Drv.ThreadHandle = kCommHandleNone;
}

uint32_t CommDrvWrite(TCommDrv& Drv, const uint8_t* Bytes, uint32_t Count) {
    if (Drv.Handle == kCommHandleNone || Bytes == nullptr || Count == 0) return 0;
    return Drv.Backend->Write(Drv.Handle, Bytes, Count);
}

uint32_t CommDrvReceive(TCommDrv& Drv, uint32_t Waiting, const TCommReadStep& Read) {
    const uint32_t size = Drv.InpBufSize;
    const uint32_t unread = Drv.ReceivedBytes.load(std::memory_order_acquire);
    // Never more than the free space: unread bytes are never overwritten.
    const uint32_t n = unread >= size ? 0 : std::min(Waiting, size - unread);
    if (Drv.Terminated.load() || n == 0 || Drv.InpBuf == nullptr) return 0;

    const uint32_t pos = Drv.WritePos < size ? Drv.WritePos : 0;
    const uint32_t first = std::min(n, size - pos);
    uint32_t got = Read(Drv.InpBuf + pos, first);
    if (got == first && n > first) got += Read(Drv.InpBuf, n - first);
    if (Drv.Terminated.load() || got == 0) return 0;

    Drv.WritePos = (pos + got) % size;
    // Sequentially consistent with the consumer's flag store and count load
    // (ComPortUS.cpp): either this load sees the flag cleared and notifies, or
    // the consumer's next count load sees these bytes.
    Drv.ReceivedBytes.fetch_add(got, std::memory_order_seq_cst);
    // A full ring is not emptied behind the consumer's back: the reader waits
    // for the consumer to take bytes, so nothing is lost.
    if (!Drv.InpBufRead.load(std::memory_order_seq_cst) && Drv.OnReceived) Drv.OnReceived();
    return got;
}

uint32_t CommDrvStoreReceived(TCommDrv& Drv, const uint8_t* Bytes, uint32_t Count) {
    uint32_t offset = 0;
    return CommDrvReceive(Drv, Count, [&](uint8_t* destination, uint32_t count) {
        std::memcpy(destination, Bytes + offset, count);
        offset += count;
        return count;
    });
}

void CommDrvTakeReceived(TCommDrv& Drv, uint32_t Count) {
    uint32_t before = Drv.ReceivedBytes.load(std::memory_order_acquire);
    uint32_t after;
    do {
        after = before > Count ? before - Count : 0;
    } while (!Drv.ReceivedBytes.compare_exchange_weak(before, after, std::memory_order_acq_rel));
    WakeIfWasFull(Drv, before, after);
}

void CommDrvSetReceived(TCommDrv& Drv, uint32_t Value) {
    const uint32_t before = Drv.ReceivedBytes.exchange(Value, std::memory_order_acq_rel);
    WakeIfWasFull(Drv, before, Value);
}

}  // namespace zorv
