#include "FakeCommCalls.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace zorv::test {

namespace {

// The guard on every wait for an event; it bounds a failing test, nothing else.
constexpr auto kGuard = std::chrono::seconds(20);

BOOL Fail(DWORD Error) {
    SetLastError(Error);
    return FALSE;
}

}  // namespace

void FakeCommCalls::Play(const TDriverScript& Script) {
    std::lock_guard<std::mutex> hold(FLock);
    FScript = Script;
}

void FakeCommCalls::Release() {
    std::lock_guard<std::mutex> hold(FLock);
    FScript.IgnoresCancel = false;
    if (!FHasPending || FPending.Done) return;
    FPending.Got = FPending.Buffer ? TakeQueued(FPending.Buffer, FPending.Count) : 0;
    End(0);
}

bool FakeCommCalls::WaitUntil(std::unique_lock<std::mutex>& Lock, const std::function<bool()>& Event) {
    return FChanged.wait_for(Lock, kGuard, Event);
}

bool FakeCommCalls::WaitUntilPending() {
    std::unique_lock<std::mutex> lock(FLock);
    return WaitUntil(lock, [this] { return FHasPending && !FPending.Done; });
}

bool FakeCommCalls::WaitUntilPortFree() {
    std::unique_lock<std::mutex> lock(FLock);
    return WaitUntil(lock, [this] { return FPort == nullptr; });
}

bool FakeCommCalls::PortOpen() {
    std::lock_guard<std::mutex> hold(FLock);
    return FPort != nullptr;
}

std::vector<DWORD> FakeCommCalls::TimedWaits(HANDLE Handle) {
    std::lock_guard<std::mutex> hold(FLock);
    std::vector<DWORD> waits;
    for (const auto& wait : FWaits)
        if (wait.first == Handle && wait.second != INFINITE) waits.push_back(wait.second);
    return waits;
}

HANDLE FakeCommCalls::CreateFileA(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    std::lock_guard<std::mutex> hold(FLock);
    if (FPort != nullptr) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    // A handle of the system's stands for the port, so that no other handle has its value.
    FPort = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return FPort;
}

BOOL FakeCommCalls::CloseHandle(HANDLE Handle) {
    const BOOL closed = ::CloseHandle(Handle);
    std::lock_guard<std::mutex> hold(FLock);
    if (Handle == FPort) FPort = nullptr;
    FChanged.notify_all();
    return closed;
}

BOOL FakeCommCalls::SetCommMask(HANDLE, DWORD) {
    std::lock_guard<std::mutex> hold(FLock);
    if (FHasPending && !FPending.Done && !FPending.Buffer && !FScript.IgnoresCancel) End(0);
    return TRUE;
}

BOOL FakeCommCalls::ClearCommError(HANDLE, LPDWORD Errors, LPCOMSTAT Stat) {
    std::lock_guard<std::mutex> hold(FLock);
    *Errors = 0;
    *Stat = COMSTAT{};
    Stat->cbInQue = static_cast<DWORD>(FQueue.size());
    Stat->cbOutQue = FScript.OutQueue;
    return TRUE;
}

BOOL FakeCommCalls::PurgeComm(HANDLE, DWORD Flags) {
    std::lock_guard<std::mutex> hold(FLock);
    FPurges.push_back(Flags);
    if (Flags & PURGE_TXCLEAR) FScript.OutQueue = 0;
    return TRUE;
}

std::vector<DWORD> FakeCommCalls::Purges() {
    std::lock_guard<std::mutex> hold(FLock);
    return FPurges;
}

BOOL FakeCommCalls::WaitCommEvent(HANDLE, LPDWORD Mask, LPOVERLAPPED) {
    std::lock_guard<std::mutex> hold(FLock);
    *Mask = 0;
    if (FScript.FailedWaits > 0) {
        --FScript.FailedWaits;
        if (!FScript.FailWhilePending) return Fail(ERROR_GEN_FAILURE);
        Pend({Mask});
        End(ERROR_GEN_FAILURE);
        return Fail(ERROR_IO_PENDING);
    }
    FQueue += FScript.Bytes;
    FScript.Bytes.clear();
    if (FQueue.empty()) return Pend({Mask});
    *Mask = EV_RXCHAR;
    return TRUE;
}

BOOL FakeCommCalls::ReadFile(HANDLE, LPVOID Buffer, DWORD Count, LPDWORD Got, LPOVERLAPPED) {
    std::lock_guard<std::mutex> hold(FLock);
    *Got = 0;
    if (FScript.EmptyReads > 0) {
        --FScript.EmptyReads;
        return TRUE;
    }
    if (FScript.IgnoresCancel) return Pend({nullptr, static_cast<uint8_t*>(Buffer), Count});
    *Got = TakeQueued(static_cast<uint8_t*>(Buffer), Count);
    return TRUE;
}

BOOL FakeCommCalls::WriteFile(HANDLE, LPCVOID, DWORD Count, LPDWORD Written, LPOVERLAPPED) {
    *Written = Count;
    return TRUE;
}

BOOL FakeCommCalls::GetOverlappedResult(HANDLE, LPOVERLAPPED, LPDWORD Count, BOOL) {
    std::unique_lock<std::mutex> lock(FLock);
    // A pending operation may outlast any guard: it ends only when the driver lets it go.
    FChanged.wait(lock, [this] { return FHasPending && FPending.Done; });
    FHasPending = false;
    *Count = FPending.Got;
    return FPending.Error == 0 ? TRUE : Fail(FPending.Error);
}

BOOL FakeCommCalls::CancelIoEx(HANDLE, LPOVERLAPPED) {
    std::lock_guard<std::mutex> hold(FLock);
    if (FHasPending && !FPending.Done && !FScript.IgnoresCancel) End(ERROR_OPERATION_ABORTED);
    return TRUE;
}

DWORD FakeCommCalls::WaitForSingleObject(HANDLE Handle, DWORD Milliseconds) {
    {
        std::lock_guard<std::mutex> hold(FLock);
        FWaits.emplace_back(Handle, Milliseconds);
    }
    return ::WaitForSingleObject(Handle, Milliseconds);
}

BOOL FakeCommCalls::Pend(const TPending& Operation) {
    FHasPending = true;
    FPending = Operation;
    FChanged.notify_all();
    return Fail(ERROR_IO_PENDING);
}

void FakeCommCalls::End(DWORD Error) {
    FPending.Done = true;
    FPending.Error = Error;
    FChanged.notify_all();
}

DWORD FakeCommCalls::TakeQueued(uint8_t* Buffer, DWORD Count) {
    const DWORD got = std::min(Count, static_cast<DWORD>(FQueue.size()));
    std::memcpy(Buffer, FQueue.data(), got);
    FQueue.erase(0, got);
    return got;
}

}  // namespace zorv::test
