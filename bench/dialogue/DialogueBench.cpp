// Writing the demonstration script into an emulated panel that answers at once,
// over a real pseudo-terminal with the real driver and a real-time message
// loop: from the button to the moment "reset" has been written. Each command
// waits at least for the 10 ms input timer that delivers its answer, so 52 x
// 10 ms is the floor; the counter FloorRatio says how far above it a run is.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>

#include "FakeDeviceSource.h"
#include "FakeMainView.h"
#include "FormHarness.h"
#include "PanelEmulator.h"
#include "RealTimeLoop.h"
#include "TempDir.h"
#include "form/ZorvGSMDemoMain.h"
#include "dialogue/CommandsList.h"
#include "discovery/SerialPort.h"
#include "serial/ComPortUS.h"
#include "serial/CommBackendLinux.h"

namespace zorv::test {
namespace {

constexpr int32_t kPanelPort = 4;
constexpr unsigned kTimeoutMs = 20000;
constexpr double kFloorSeconds = 52 * 0.010;

// A panel plugged in under a temporary root and the main window that talks to it.
class Bench {
public:
    Bench() {
        emu::PanelOptions options;
        options.DeviceRoot = FRoot.Path();
        options.RestartDelay = std::chrono::milliseconds(20);
        FPanel = std::make_unique<emu::PanelEmulator>(options);
        FPanel->Plug();
        FHarness.Start();
    }

    ~Bench() {
        FHarness.Stop();
        FPanel->Unplug();
    }

    // Connects to the panel as soon as it is plugged in and waits until it is identified.
    void Connect() {
        if (!FPanel->Record().WaitForPlugCount(FPlugCount, std::chrono::milliseconds(kTimeoutMs)))
            throw std::runtime_error("the panel did not come back");
        FDevices.PlugPanel(kPanelPort);
        Expect([&] { return FForm.FState == psConnected || FForm.FState == psDemoLoaded; }, "identification");
    }

    // Seconds from the button to "reset" having been written.
    double WriteDemonstration() {
        const auto start = std::chrono::steady_clock::now();
        FForm.OnStartDemoButtonClick();
        Expect([&] { return FForm.FTestedPort == -1; }, "the script");
        const auto end = std::chrono::steady_clock::now();
        ++FPlugCount;
        return std::chrono::duration<double>(end - start).count();
    }

private:
    template <class Pred>
    void Expect(Pred pred, const char* what) {
        if (!FLoop.RunUntil(pred, kTimeoutMs)) throw std::runtime_error(std::string("timed out: ") + what);
    }

    std::unique_ptr<emu::PanelEmulator> FPanel;
    RealTimeLoop FLoop;
    FakeMainView FView;
    FakeDeviceSource FDevices;
    const std::unique_ptr<ICommBackend> FPorts = MakeLinuxCommBackend(
        [this](int32_t port) { return port == kPanelPort && FPanel ? FPanel->DevPath() : std::string(); });
    FormHarness FHarness{{FLoop, FView, FDevices, *FPorts, BuiltInResources()}};
    TempDir& FRoot = FHarness.Dir;
    TZorvGSMDemoMainForm& FForm = FHarness.Form;
    int FPlugCount = 1;
};

void BM_WriteDemonstrationScript(benchmark::State& state) {
    Bench bench;
    double total = 0;
    for (auto _ : state) {
        bench.Connect();
        const double seconds = bench.WriteDemonstration();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    state.counters["FloorRatio"] = total / static_cast<double>(state.iterations()) / kFloorSeconds;
}

BENCHMARK(BM_WriteDemonstrationScript)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7);

}  // namespace
}  // namespace zorv::test

BENCHMARK_MAIN();
