// Discovery against emulated devices under a temporary device root:
//  - ArrivalToConnected: from the moment the emulated panel's dev link exists
//    to psConnected, with the Qt message loop, the Linux device source and the
//    real serial driver, as the program runs. The handshake itself waits for
//    the 100 ms login timer and three 10 ms input timers, so about 130 ms is
//    the floor; OpenMs is the part up to the port's open.
//  - PortScan: one rebuild of the port list (device list, friendly names,
//    probes) with 1, 8 or 32 serial devices, one of them a panel.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "FakeMainView.h"
#include "FakeCommBackend.h"
#include "FakeMessageLoop.h"
#include "FakeSysfsTree.h"
#include "PanelEmulator.h"
#include "TempDir.h"
#include "form/ZorvGSMDemoMain.h"
#include "discovery/DeviceSourceLinux.h"
#include "discovery/SerialPort.h"
#include "foundation/Resources.h"
#include "serial/CommBackendLinux.h"
#include "frontends/qt/QtMessageLoop.h"

namespace zorv {
namespace {

using Clock = std::chrono::steady_clock;

QCoreApplication& Application() {
    static int argc = 1;
    static char name[] = "discovery_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Handles events, sleeping between them, until pred() holds; throws after 10 s.
void RunUntil(const std::function<bool()>& pred) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    // Wakes the wait now and then, so the deadline is seen even when nothing happens.
    QTimer heartbeat;
    heartbeat.start(100);
    while (!pred()) {
        if (Clock::now() > deadline) throw std::runtime_error("the panel did not get where it should");
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

Clock::time_point PluggedAt(const emu::PanelEmulator& panel) {
    const auto entries = panel.Record().Entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->Event == emu::PanelEvent::PluggedIn) return it->Time;
    throw std::runtime_error("no plug event");
}

void ArrivalToConnected(benchmark::State& state) {
    Application();
    test::TempDir dir;
    const std::string root = dir.File("root");
    std::filesystem::create_directories(root + "/dev");
    TQtMessageLoop loop;
    test::FakeMainView view;
    TDeviceSourceLinux devices(loop, root);
    const auto ports = MakeLinuxCommBackend([&devices](int32_t port) { return devices.DevicePath(port); });
    TZorvGSMDemoMainForm form({loop, view, devices, *ports, BuiltInResources(), dir.File("ZorvGSMDemo.ini")});
    dir.Write("ZorvGSMDemo.ini", "[Linux]\nDeviceRoot=" + root + "\n");
    form.OnFormCreate();
    RunUntil([&] { return view.ShowCount == 1; });

    emu::PanelOptions options;
    options.DeviceRoot = root;
    emu::PanelEmulator panel(options);
    double openMs = 0;
    for (auto _ : state) {
        panel.Plug();
        const Clock::time_point plugged = PluggedAt(panel);
        RunUntil([&] { return form.FTestedPort != -1; });
        const Clock::time_point opened = Clock::now();
        RunUntil([&] { return form.FState == psConnected; });
        const Clock::time_point connected = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(connected - plugged).count());
        openMs += std::chrono::duration<double, std::milli>(opened - plugged).count();
        panel.Unplug();
        RunUntil([&] { return form.FState == psWaitConnect && form.FTestedPort == -1; });
    }
    state.counters["OpenMs"] = benchmark::Counter(openMs, benchmark::Counter::kAvgIterations);
    form.OnFormDestroy();
}
BENCHMARK(ArrivalToConnected)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(25)
    ->ReportAggregatesOnly(true);

void PortScan(benchmark::State& state) {
    test::TempDir dir;
    test::FakeSysfsTree tree(dir.File("root"));
    tree.UsbTty("ttyACM0", "pci0000:00/usb1/1-1");
    for (int64_t i = 1; i < state.range(0); ++i) {
        tree.UsbTty("ttyUSB" + std::to_string(i), "pci0000:00/usb2/2-" + std::to_string(i),
                    {"0403", "6001", "A" + std::to_string(i), "Serial Cable"});
    }
    test::FakeMessageLoop loop;
    test::FakeMainView view;
    TDeviceSourceLinux devices(loop, tree.Root());
    test::FakeCommBackend ports;
    TZorvGSMDemoMainForm form({loop, view, devices, ports, BuiltInResources()});
    form.FPortList = std::make_unique<TSerialPortList>();
    for (auto _ : state) form.FillComPortsList();
    if (form.FPortList->size() != static_cast<size_t>(state.range(0)) || form.GetTestedPortNumber() != 201)
        state.SkipWithError("the scan did not find every device and the panel");
}
BENCHMARK(PortScan)->Arg(1)->Arg(8)->Arg(32)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace zorv

BENCHMARK_MAIN();
