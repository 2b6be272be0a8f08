// The serial link on a pseudo-terminal: bytes per second from the line through
// the reader and the ring to a consumer, and the reader's CPU time while idle.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "PtyPort.h"
#include "serial/ComPortDrv.h"

namespace zorv::test {
namespace {

constexpr int32_t kPort = 31;

// Owns CommDrv's ring for one measurement and opens the port on a fresh pty.
class OpenPty {
public:
    explicit OpenPty(uint32_t RingSize) : FRing(RingSize) {
        FPaths.Add(FPty);
        CommDrv.PortNumber = kPort;
        CommDrv.DCB = TDCB{};
        CommDrv.DCB.BaudRate = 921600;
        CommDrv.DCB.ByteSize = 8;
        CommDrv.InpBuf = FRing.data();
        CommDrv.InpBufSize = RingSize;
        CommDrv.OnReceived = [this] {
            std::lock_guard<std::mutex> lock(FMutex);
            FReceived.notify_one();
        };
        Opened = CommDrvOpen(CommDrv);
    }
    ~OpenPty() {
        CommDrvClose(CommDrv);
        CommDrv.OnReceived = nullptr;
        CommDrv.InpBuf = nullptr;
        CommDrv.InpBufSize = 0;
    }

    // Consumes Total bytes as the dialogue does: contiguous pieces, start moved, count lowered.
    size_t Consume(size_t Total) {
        size_t taken = 0;
        const uint32_t size = CommDrv.InpBufSize;
        while (taken < Total) {
            const uint32_t unread = CommDrv.ReceivedBytes.load(std::memory_order_acquire);
            if (unread == 0) {
                // The reader notifies under the mutex, so testing under it loses no wake-up.
                std::unique_lock<std::mutex> lock(FMutex);
                if (!FReceived.wait_for(lock, std::chrono::seconds(5), [] { return CommDrv.ReceivedBytes.load() > 0; }))
                    break;
                continue;
            }
            const uint32_t start = CommDrv.StartInInpBuf.load() % size;
            const uint32_t count = std::min(unread, size - start);
            benchmark::DoNotOptimize(FRing[start + count - 1]);
            CommDrv.InpBufRead = true;
            CommDrv.StartInInpBuf = (start + count) % size;
            CommDrvTakeReceived(CommDrv, count);
            CommDrv.InpBufRead = false;
            taken += count;
        }
        return taken;
    }

    PtyPort& Pty() { return FPty; }
    bool Opened = false;

private:
    PtyPort FPty{kPort};
    PortPaths FPaths;
    std::vector<uint8_t> FRing;
    std::mutex FMutex;
    std::condition_variable FReceived;
};

void BM_PtyThroughRingToConsumer(benchmark::State& State) {
    const size_t total = 8u << 20;
    OpenPty port(static_cast<uint32_t>(State.range(0)));
    if (!port.Opened) return State.SkipWithError("cannot open the pseudo-terminal");
    const std::string chunk(4096, 'x');
    for (auto _ : State) {
        std::thread writer([&] {
            for (size_t sent = 0; sent < total; sent += chunk.size()) port.Pty().Send(chunk);
        });
        const size_t taken = port.Consume(total);
        writer.join();
        if (taken != total) return State.SkipWithError("bytes went missing");
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * total));
}
BENCHMARK(BM_PtyThroughRingToConsumer)->Arg(64)->Arg(4096)->Arg(32768)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReaderCpuWhileIdle(benchmark::State& State) {
    OpenPty port(32768);
    if (!port.Opened) return State.SkipWithError("cannot open the pseudo-terminal");
    int64_t cpu = 0;
    for (auto _ : State) {
        const int64_t before = ThreadCpuMicros(CommDrv.ThreadHandle);
        std::this_thread::sleep_for(std::chrono::seconds(5));
        cpu = ThreadCpuMicros(CommDrv.ThreadHandle) - before;
    }
    State.counters["reader_cpu_us_per_5s"] = static_cast<double>(cpu);
}
BENCHMARK(BM_ReaderCpuWhileIdle)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_ReaderCpuWhileHungUp(benchmark::State& State) {
    OpenPty port(32768);
    if (!port.Opened) return State.SkipWithError("cannot open the pseudo-terminal");
    port.Pty().Unplug();
    int64_t cpu = 0;
    for (auto _ : State) {
        const int64_t before = ThreadCpuMicros(CommDrv.ThreadHandle);
        std::this_thread::sleep_for(std::chrono::seconds(5));
        cpu = ThreadCpuMicros(CommDrv.ThreadHandle) - before;
    }
    State.counters["reader_cpu_us_per_5s"] = static_cast<double>(cpu);
}
BENCHMARK(BM_ReaderCpuWhileHungUp)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace zorv::test

BENCHMARK_MAIN();
