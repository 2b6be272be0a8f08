// The Windows program under Wine against the panel emulator, plugged in as a
// Wine COM port. Needs the environment of the end-to-end test (see
// tests/win32-e2e/WineProgram.h), which scripts/bench-report gives it.
//  - PlugToSerialNumber: from the start of the plug (the COM link, the device
//    tool registering the device and sending the arrival) to the program's
//    reading of the serial number, after which it shows psConnected. ToolMs is
//    the device tool's part, a Wine start included.
//  - BootloaderPlugToSerialNumber: the same for a panel in its bootloader, through
//    "START_MAIN" and the panel's restart.
//  - DemonstrationWrite: from the button to the completion's "TIME=" after the
//    panel's restart; ScriptMs is the part up to "reset".
//  - CpuWaiting / CpuConnected: the program's and Wine server's CPU over 30 s
//    with no panel and with a connected one.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "PanelEmulator.h"
#include "WineProgram.h"

namespace zorv {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using test::WineProgram;
using test::WineSetup;

constexpr int kPanelPort = 9;

std::string TempFolder() {
    char pattern[] = "/tmp/zorv-bench-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
    return pattern;
}

emu::PanelOptions Panel(const WineSetup& setup) {
    emu::PanelOptions options;
    options.Wine = emu::WinePortOptions{kPanelPort, setup.PortLink(kPanelPort), setup.DeviceTool()};
    return options;
}

void Wait(const std::function<bool()>& pred, std::chrono::seconds limit = 60s) {
    const auto deadline = Clock::now() + limit;
    while (!pred()) {
        if (Clock::now() > deadline) throw std::runtime_error("the program did not get where it should");
        std::this_thread::sleep_for(1ms);
    }
}

// When the panel received the line for the n-th time (1 for the first); throws when it never did.
Clock::time_point ReceivedAt(const emu::PanelEmulator& panel, const std::string& line, int n = 1) {
    for (const auto& received : panel.Record().Received())
        if (received.Text == line && --n == 0) return received.Time;
    throw std::runtime_error("the panel never received " + line);
}

int Count(const emu::PanelEmulator& panel, const std::string& line) {
    int count = 0;
    for (const auto& text : panel.Record().ReceivedTexts()) count += text == line;
    return count;
}

// The program started and showing its window.
struct Running {
    Running() : Program(WineSetup::FromEnvironment(), TempFolder()) {
        Program.Start();
        if (!Program.WaitFor([](const test::WindowView& v) { return !v.Caption.empty(); }, 120s))
            throw std::runtime_error("the program's window did not appear");
    }
    ~Running() { Program.Close(); }
    WineProgram Program;
};

// Plugs the panel in and waits until the program asked for its serial number (answered at once).
double PlugToConnectedMs(emu::PanelEmulator& panel, double& toolMs) {
    const int before = Count(panel, "KVELT_SN?");
    const auto start = Clock::now();
    panel.Plug();
    toolMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    Wait([&] { return Count(panel, "KVELT_SN?") > before; });
    return std::chrono::duration<double, std::milli>(ReceivedAt(panel, "KVELT_SN?", before + 1) - start).count();
}

void Arrival(benchmark::State& state, bool bootloader) {
    Running running;
    const WineSetup setup = WineSetup::FromEnvironment();
    emu::PanelOptions options = Panel(setup);
    options.StartInBootloader = bootloader;
    emu::PanelEmulator panel(options);
    double tool = 0;
    for (auto _ : state) {
        state.SetIterationTime(PlugToConnectedMs(panel, tool) / 1000);
        state.PauseTiming();
        panel.Unplug();
        // The program sees the removal before the next plug.
        if (!running.Program.WaitFor([](const test::WindowView& v) { return v.Buttons == "00000"; }, 30s))
            throw std::runtime_error("the program did not see the panel go");
        state.ResumeTiming();
    }
    state.counters["ToolMs"] = tool;
}

void PlugToSerialNumber(benchmark::State& state) { Arrival(state, false); }
void BootloaderPlugToSerialNumber(benchmark::State& state) { Arrival(state, true); }

void DemonstrationWrite(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Running running;
        emu::PanelEmulator panel(Panel(WineSetup::FromEnvironment()));
        double tool = 0;
        PlugToConnectedMs(panel, tool);
        if (!running.Program.WaitFor([](const test::WindowView& v) { return v.Buttons == "10001"; }, 30s))
            throw std::runtime_error("the program did not show the panel connected");
        state.ResumeTiming();
        const auto start = Clock::now();
        running.Program.Click(0);
        Wait([&] {
            for (const auto& text : panel.Record().ReceivedTexts())
                if (text.rfind("TIME=", 0) == 0) return true;
            return false;
        });
        const auto reset = ReceivedAt(panel, "reset");
        Clock::time_point completed{};
        for (const auto& received : panel.Record().Received())
            if (received.Text.rfind("TIME=", 0) == 0) completed = received.Time;
        state.SetIterationTime(std::chrono::duration<double>(completed - start).count());
        state.counters["ScriptMs"] = std::chrono::duration<double, std::milli>(reset - start).count();
    }
}

// User and system CPU of a process so far, in milliseconds; 0 when it is gone.
double CpuMs(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t end = text.rfind(')');
    if (end == std::string::npos) return 0;
    std::istringstream fields(text.substr(end + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14) user = std::stoull(field);
        if (i == 15) {
            system = std::stoull(field);
            break;
        }
    }
    return double(user + system) * 1000.0 / double(::sysconf(_SC_CLK_TCK));
}

// The Wine server of the prefix (the only one while the benchmark runs), -1 when none.
pid_t WineServer() {
    pid_t found = -1;
    if (DIR* proc = ::opendir("/proc")) {
        while (dirent* entry = ::readdir(proc)) {
            std::ifstream comm(std::string("/proc/") + entry->d_name + "/comm");
            std::string name;
            if (std::getline(comm, name) && name == "wineserver") found = std::atoi(entry->d_name);
        }
        ::closedir(proc);
    }
    return found;
}

void Cpu(benchmark::State& state, bool connected) {
    Running running;
    emu::PanelEmulator panel(Panel(WineSetup::FromEnvironment()));
    if (connected) {
        double tool = 0;
        PlugToConnectedMs(panel, tool);
    }
    const pid_t program = running.Program.Pid();
    const pid_t server = WineServer();
    for (auto _ : state) {
        const double programBefore = CpuMs(program), serverBefore = CpuMs(server);
        std::this_thread::sleep_for(30s);
        state.counters["ProgramCpuMsPer30s"] = CpuMs(program) - programBefore;
        state.counters["ServerCpuMsPer30s"] = CpuMs(server) - serverBefore;
    }
}

void CpuWaiting(benchmark::State& state) { Cpu(state, false); }
void CpuConnected(benchmark::State& state) { Cpu(state, true); }

BENCHMARK(PlugToSerialNumber)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BootloaderPlugToSerialNumber)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(DemonstrationWrite)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(CpuWaiting)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(CpuConnected)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace zorv

BENCHMARK_MAIN();
