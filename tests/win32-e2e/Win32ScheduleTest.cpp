// Drawn schedules (tests/schedule/Schedule.h) played in real time against the
// Windows program under Wine: the probe presses the enabled buttons, emulated
// panels on Wine COM ports are unplugged, restarted, faulted and replaced. The
// window's state text is painted by the window itself, out of the probe's
// reach, so the state is known by its buttons: between two probe reads that
// agree, they must be the buttons of some state; a demonstration state's
// buttons only once the panel took a whole demonstration write, and the
// Connected state's right after a factory write only once it took "ftdef",
// "settings_save" and "reset". At the end a healthy panel plugged in afresh is
// served, the error log holds only interrupted or untaken writes, the other
// USB serial device was never opened, and the program closes cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DialogueInvariants.h"
#include "LogLines.h"
#include "PanelEmulator.h"
#include "PanelKinds.h"
#include "PanelRecordChecks.h"
#include "Schedule.h"
#include "StateViews.h"
#include "TempDir.h"
#include "WineProgram.h"

namespace zorv::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kPanelPort = 9;
constexpr int kOtherPort = 10;
// Each panel plugged in has a serial number of its own, as real ones do: the program tells
// them apart by nothing else.
std::string SerialNumberOf(size_t panel) { return std::to_string(123456 + 111111 * panel); }
int32_t ObjectNumberOf(size_t panel) { return static_cast<int32_t>((123456 + 111111 * panel) % 10000); }
// The probe's buttons, left to right: the two that start a write.
constexpr int kStartDemo = 0;
constexpr int kEndDemo = 4;
constexpr auto kPressInterval = 150ms;  // as in the checker: no hand presses faster
// The checker's bound for serving a healthy panel: the port check, a restart and a handshake.
constexpr auto kServeLimit = 12s;
// How every message about an unfinished write begins, as the probe reads it.
const char kWriteNotFinished[] = "Запись настроек в прибор не закончена.";

// Real time is dear here (each probe read or Wine plug takes a fraction of a second), so
// the schedule's pauses are shortened: those within a step of the dialogue (up to 700 ms)
// are kept, longer ones shrink to an eighth beyond that, at most 3 s. A schedule then takes
// tens of seconds; pauses across the port check or the 60 s watchdog are not reproduced.
Clock::duration RealDelay(uint32_t ms) {
    return std::chrono::milliseconds(ms <= 700 ? ms : std::min<uint32_t>(700 + (ms - 700) / 8, 3000));
}

// The buttons of a state as the probe shows them: start, the three billing buttons, end.
std::string Buttons(const StateView& v) {
    return {v.StartDemo ? '1' : '0', v.MoneyLittle ? '1' : '0', v.MoneyOff ? '1' : '0', v.MoneyFull ? '1' : '0',
            v.EndDemo ? '1' : '0'};
}

bool AnyState(const std::string& buttons, bool demoOnly) {
    for (uint8_t s = psWaitConnect; s <= psLoadFtdef; ++s)
        if (Buttons(kStateViews[s]) == buttons && (!demoOnly || InDemonstration(static_cast<TProgramState>(s))))
            return true;
    return false;
}

class Win32ScheduleTest : public ::testing::TestWithParam<uint64_t> {
protected:
    Win32ScheduleTest() : Setup(WineSetup::FromEnvironment()), Program(Setup, Dir.File("ZorvGSMDemo")) {
        emu::PanelOptions other = OnPort(emu::PanelOptions(), kOtherPort);
        other.Usb = {"0403", "6001", "A10K", "USB Serial Port"};
        Other = std::make_unique<emu::PanelEmulator>(other);
        Dir.Write("ZorvGSMDemo/ZorvGSMDemo.ini",
                  "[ProgrammSet]\r\nControllerLogFileName=" + WindowsPath(Dir.File("panel.txt")) + "\r\n");
    }

    emu::PanelOptions OnPort(emu::PanelOptions options, int port) const {
        options.Wine = emu::WinePortOptions{port, Setup.PortLink(port), Setup.DeviceTool()};
        return options;
    }

    emu::PanelEmulator& Panel() { return *Panels.back(); }
    void PlugNew(uint32_t kind) {
        if (!Panels.empty()) Panel().Unplug();
        emu::PanelOptions options = OnPort(PanelKind(kind), kPanelPort);
        if (options.SerialNumber != "NOT SET") options.SerialNumber = SerialNumberOf(Panels.size());
        Panels.push_back(std::make_unique<emu::PanelEmulator>(options));
        Kind = kind % kPanelKinds;
        InWaitFrom = 0;
        Panel().Plug();
    }

    void Trace(const std::string& what) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - Start).count();
        Log += "  " + std::to_string(ms) + " ms: " + what + "\n";
    }
    void Fail(const std::string& what) {
        if (Violation.empty()) Violation = what;
        Trace("violated: " + what);
    }

    std::string ErrorLog() const { return ReadFileBytes(Program.Folder() + "/ErrLog.txt"); }
    // A write was started and neither abandoned (an error-log line) nor ended in another state.
    bool WriteWaits() const { return Write >= 0 && CountOf(ErrorLog(), "\r\n") == ErrorLinesAtWrite; }

    // One probe read; the invariants are judged when it agrees with the read before.
    void Look() {
        const WindowView view = Program.View();
        // A probe that Wine failed to start sees nothing; a window that stays away is not served.
        if (view.Caption.empty()) return Program.Running() ? Trace("no window seen") : Fail("the program ended");
        if (!view.Message.empty()) {
            if (view.Message.find(kWriteNotFinished) != std::string::npos) ++WriteMessages;
            Trace("message box, dismissed: " + view.Message);
            Program.DismissMessage();
        }
        if (view.Buttons != Last) Trace("buttons " + view.Buttons);
        const size_t panelNow = Panels.size() - 1;
        if (view.Buttons == Last && view.Buttons != Stable) OnStable(view.Buttons, PanelBefore);
        PanelBefore = PanelAtLast;
        PanelAtLast = panelNow;
        Last = view.Buttons;
    }

    // The window settled on new buttons; the panels plugged in since the read before the change may be connected.
    void OnStable(const std::string& buttons, size_t firstPanel) {
        Stable = buttons;
        if (!AnyState(buttons, false)) return Fail("the window enables " + buttons + ", the buttons of no state");
        const bool demo = AnyState(buttons, true);
        const bool factoryDone = buttons == Buttons(kStateViews[psConnected]) && Write == kEndDemo && WriteWaits();
        if (buttons != "00000") Write = -1;
        if (!demo && !factoryDone) return;
        // The panel's thread records a line a moment after the program wrote it.
        std::string why;
        const auto deadline = Clock::now() + 5s;
        for (;;) {
            for (size_t i = firstPanel; i < Panels.size(); ++i)
                if (demo ? DemoWriteTaken(Panels[i]->Record(), ObjectNumberOf(i), why)
                         : FactoryWriteTaken(Panels[i]->Record(), why))
                    return Trace(demo ? "checked: the demonstration write taken" : "checked: the factory write taken");
            if (Clock::now() > deadline) break;
            std::this_thread::sleep_for(50ms);
        }
        Fail(demo ? "a demonstration state shown (buttons " + buttons + "), but the panel connected now has " + why
                  : "Connected shown after the factory write, but " + why);
    }

    // The InWait event, roughly: as soon as the panel reads the line before one of the program's
    // waits (the login is followed by one only when it completes a write).
    void WatchForWait(Clock::time_point until) {
        while (InWait >= 0) {
            const auto lines = Panel().Record().ReceivedTexts();
            for (size_t i = InWaitFrom; i < lines.size(); ++i)
                for (const char* before : {"START_MAIN", "AUTH=", "ARM_IGNORE_TAMPER=1", "TIME="})
                    if (lines[i].rfind(before, 0) == 0 && (std::string(before) != "AUTH=" || WriteWaits()))
                        return FireInWait(lines[i]);
            InWaitFrom = lines.size();
            if (Clock::now() >= until) return;
            Panel().Record().WaitForReceived(lines.size() + 1, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                                   until - Clock::now()));
        }
        std::this_thread::sleep_until(until);
    }

    void FireInWait(const std::string& line) {
        const auto arg = static_cast<uint32_t>(InWait);
        const InWaitAction action = InWaitActionOf(arg);
        InWait = -1;
        Trace("in the wait after \"" + line + "\": " + InWaitActionName(action));
        if (action == InWaitAction::Restart) return Restart();
        if (action == InWaitAction::Swap) {
            if (WriteWaits()) return Trace("skipped: a write waits for its panel");
            return PlugNew(arg / kInWaitActions);
        }
        Panel().Unplug();
        if (action == InWaitAction::Replug) Panel().Plug();
    }

    // The panel restarts by itself: the emulator's restart is its own, so here it is an
    // unplug and a plug after its restart delay.
    void Restart() {
        if (!Panel().Plugged()) return;
        Panel().Unplug();
        std::this_thread::sleep_for(PanelKind(Kind).RestartDelay);
        Panel().Plug();
    }

    // Real time passes: short pauses keep a burst of events together, longer ones are watched.
    void Pause(Clock::duration pause) {
        const auto until = Clock::now() + pause;
        if (pause < 50ms) return WatchForWait(until);
        do {
            Look();
            WatchForWait(std::min(until, Clock::now() + 100ms));
        } while (Violation.empty() && Clock::now() < until);
    }

    void Apply(const ScheduleEvent& event) {
        Trace(DescribeEvent(event));
        switch (event.Kind) {
            // Drawn schedules have no press as a button comes on; the hand's pace stands for it here.
            case EventKind::PressAsItComesOn:
            case EventKind::Press: {
                std::this_thread::sleep_until(LastPress + kPressInterval);
                LastPress = Clock::now();
                const int pressed = Program.PressEnabled(event.Arg);
                Trace("pressed " + std::to_string(pressed));
                if (pressed != kStartDemo && pressed != kEndDemo) return;
                Write = pressed;
                ErrorLinesAtWrite = CountOf(ErrorLog(), "\r\n");
                return;
            }
            case EventKind::Unplug: return Panel().Unplug();
            case EventKind::Plug: return Panel().Plug();
            case EventKind::NewPanel: return PlugNew(event.Arg);
            case EventKind::Restart: return Restart();
            case EventKind::Fault: return Panel().SetFault(FaultKind(event.Arg));
            case EventKind::OtherDevice: return OtherDevicePlugged(event.Arg) ? Other->Plug() : Other->Unplug();
            case EventKind::InWait:
                InWait = static_cast<int>(event.Arg);
                InWaitFrom = Panel().Record().ReceivedTexts().size();
                return;
            case EventKind::Pause: return;
        }
    }

    // A healthy panel, plugged in afresh, is connected or its waiting write completed.
    void Serve() {
        InWait = -1;
        Panel().SetFault(emu::PanelFault::None);
        if (Kind >= kHealthyKinds && !WriteWaits()) PlugNew(0);
        Trace("serve: unplug and plug a healthy panel");
        Panel().Unplug();
        const size_t before = Panel().Record().ReceivedTexts().size();
        Panel().Plug();
        const auto deadline = Clock::now() + kServeLimit;
        // Served: two reads agree on the Connected or a demonstration state, both after the panel got "VERSION?".
        for (int readsAfter = 0;;) {
            const auto lines = Panel().Record().ReceivedTexts();
            const bool connected = std::find(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end(),
                                             "VERSION?") != lines.end();
            const std::string previous = Last;
            Look();
            if (!Violation.empty()) return;
            readsAfter = connected ? readsAfter + 1 : 0;
            const bool shown = Last == Buttons(kStateViews[psConnected]) || AnyState(Last, true);
            if (readsAfter >= 2 && Last == previous && shown) return Trace("served");
            if (Clock::now() > deadline) return Fail("a healthy panel was not served within 12 s");
        }
    }

    std::string Report(uint64_t seed, const Schedule& schedule) const {
        std::string text = "seed " + std::to_string(seed) + ": " + Violation + "\nschedule:\n" +
                           DescribeSchedule(schedule) + "what happened (the probe's views among the events):\n" + Log;
        for (size_t i = 0; i < Panels.size(); ++i)
            text += "record of panel " + std::to_string(i + 1) + " of " + std::to_string(Panels.size()) + ":\n" +
                    Panels[i]->Record().Transcript();
        text += "error log:\n" + ErrorLog();
        for (const auto& file : std::filesystem::directory_iterator(Dir.Path()))
            if (file.path().filename().string().rfind("panel", 0) == 0)
                text += "controller log:\n" + ReadFileBytes(file.path().string());
        return text;
    }

    TempDir Dir;
    const WineSetup Setup;
    WineProgram Program;
    std::vector<std::unique_ptr<emu::PanelEmulator>> Panels;
    std::unique_ptr<emu::PanelEmulator> Other;
    uint32_t Kind = 0;
    Clock::time_point Start = Clock::now();
    Clock::time_point LastPress;
    std::string Log, Violation;
    std::string Last, Stable;  // the last read's buttons, and the last two reads agreed on
    size_t PanelBefore = 0, PanelAtLast = 0;
    int Write = -1;  // the button of the write started last, while no other state settled
    size_t ErrorLinesAtWrite = 0;
    size_t WriteMessages = 0;  // messages about an unfinished write seen and dismissed
    int InWait = -1;
    size_t InWaitFrom = 0;
};

TEST_P(Win32ScheduleTest, KeepsTheInvariants) {
    // Another seed replays with ZORV_SCHEDULE_SEED=N and --gtest_filter=Seeds/*/0.
    const char* replay = std::getenv("ZORV_SCHEDULE_SEED");
    const uint64_t seed = replay ? std::stoull(replay) : GetParam();
    const Schedule schedule = DrawSchedule(seed);
    Program.Start();
    ASSERT_TRUE(Program.WaitFor([](const WindowView& v) { return !v.Caption.empty(); }, 120s));
    Start = Clock::now();
    PlugNew(0);
    for (const ScheduleEvent& event : schedule) {
        Pause(RealDelay(event.DelayMs));
        if (!Violation.empty()) break;
        Apply(event);
    }
    if (Violation.empty()) Serve();
    const std::string errors = ErrorLog();
    const size_t explained =
        CountOf(errors, "write interrupted") + CountOf(errors, "write not taken") + CountOf(errors, "write not completed");
    if (Violation.empty() && CountOf(errors, "\r\n") != explained) Fail("error-log lines other than lost writes");
    // Each unfinished write is told once; the last message may still be on its way to the screen.
    for (const auto told = Clock::now() + 5s; Violation.empty() && WriteMessages < explained && Clock::now() < told;)
        Look();
    if (Violation.empty() && WriteMessages != explained)
        Fail(std::to_string(explained) + " unfinished writes, told " + std::to_string(WriteMessages) + " times");
    for (const auto& entry : Other->Record().Entries())
        if (Violation.empty() && entry.Event == emu::PanelEvent::PortOpened) Fail("the other USB serial device was opened");
    if (Violation.empty() && Program.Close() != 0) Fail("the program did not close cleanly");
    EXPECT_TRUE(Violation.empty()) << Report(seed, schedule);
    std::printf("seed %llu: %zu events in %.1f s\n", static_cast<unsigned long long>(seed), schedule.size(),
                std::chrono::duration<double>(Clock::now() - Start).count());
}

// Seeds 1 to 12 all passed (after the mend of the Windows port's close); these three show a
// demonstration, a factory write and waits hit among them, in about 100 s together. In seed 31
// another panel takes the socket while the factory write's panel restarts.
INSTANTIATE_TEST_SUITE_P(Seeds, Win32ScheduleTest, ::testing::Values<uint64_t>(2, 5, 8, 31));

}  // namespace
}  // namespace zorv::test
