#include "ScheduleRun.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>

#include "DialogueInvariants.h"
#include "FormHarness.h"
#include "LogLines.h"
#include "LoopPanel.h"
#include "PanelKinds.h"
#include "PanelRecordChecks.h"
#include "PtyPanels.h"
#include "StateViews.h"
#include "form/FormButtons.h"
#include "foundation/Resources.h"

namespace zorv::test {
namespace {

// Long enough for the script watchdog to give up a lost command, and the next one whose
// answer a garbled line end swallowed, and for the rest of the write.
constexpr uint64_t kWriteEndLimitMs = 2 * 60000 + 10000;
// Long enough for the port check to find the panel after its restart, and for the
// handshake and a write's completion.
constexpr uint64_t kServeLimitMs = 5000 + 2000 + 5000;
// No hand presses two buttons faster. (A billing command's "OK", which nobody awaits, would
// otherwise come back while the next write's first command waits, and count as its answer.)
constexpr uint64_t kHandMs = 150;

// The error log's lines for writes that ended unfinished: lost before "reset", not wholly answered,
// or another panel back in the written one's place.
size_t UnfinishedWrites(const std::string& errorLog) {
    return CountOf(errorLog, "write interrupted") + CountOf(errorLog, "write not taken") +
           CountOf(errorLog, "write not completed");
}

// A window that tells the invariants whenever the program shows its state.
class ShowingView : public FakeMainView {
public:
    std::function<void()> OnStateShown;
    void SetLabelText(TLabelId label, const std::string& markup) override {
        FakeMainView::SetLabelText(label, markup);
        if (label == TLabelId::ProgrammStateInfo && OnStateShown) OnStateShown();
    }
};

// A panel of the drawn kind, with a restart delay and garbage of its own, and the drawn'th serial
// number (the kind without one keeps "NOT SET"), so that no two panels can be taken for each other.
emu::PanelOptions DrawnPanel(uint32_t arg, uint32_t drawn) {
    emu::PanelOptions options = PanelKind(arg);
    options.RestartDelay = RestartDelayOf(arg);
    options.GarbageSeed = arg;
    if (options.SerialNumber != "NOT SET") options.SerialNumber = std::to_string(123456 + 1001 * drawn);
    return options;
}

std::unique_ptr<ScheduleTransport> MakeTransport(Transport transport, FakeMessageLoop& loop) {
    if (transport == Transport::Pty) return std::make_unique<PtyPanels>(loop);
    return std::make_unique<LoopPanels>(loop);
}

class World {
public:
    explicit World(Transport transport) : FTransport(MakeTransport(transport, Loop)) {
        View.OnStateShown = [this] { Invariants.OnStateShown(); };
        View.OnMessageBox = [this] { CheckToldOnce(); };
        Panels.OnLine = [this](const std::string& line, uint32_t connection, bool early) {
            Invariants.OnPanelLine(line, connection, early);
        };
        BindFormButtons(Form, [this](TButtonId id, std::function<void()> click) { Buttons[id] = std::move(click); });
        Harness.Dir.Write("ZorvGSMDemo.ini", "[ProgrammSet]\nControllerLogFileName=" + Harness.Dir.File("panel.txt") +
                                                 "\n" + Panels.IniLines(Harness.Dir.Path()));
        Harness.Start();
    }
    ~World() {
        // The form shuts down while the invariants and the panels' hooks still exist.
        Harness.Stop();
        View.OnStateShown = nullptr;
        View.OnMessageBox = nullptr;
        Panels.OnLine = nullptr;
    }

    ScheduleOutcome Run(const Schedule& schedule) {
        ScheduleOutcome outcome;
        const emu::PanelOptions first = DrawnPanel(0, FDrawn++);
        Panels.Plug(&first);
        FTookEffect.assign(schedule.size(), false);
        for (size_t i = 0; i < schedule.size(); ++i) {
            if (!Advance(schedule[i].DelayMs)) break;
            ++outcome.EventsRun;
            FTookEffect[i] = Apply(schedule[i], i);
            if (!Advance(0)) break;
        }
        if (Invariants.Violations.empty()) Serve();
        if (Invariants.Violations.empty()) CheckErrorLog();
        Panels.CheckReadLines(Invariants);
        outcome.Violations = Invariants.Violations;
        outcome.TookEffect.assign(FTookEffect.begin(), FTookEffect.begin() + static_cast<std::ptrdiff_t>(outcome.EventsRun));
        if (!outcome.Violations.empty()) {
            outcome.Transcript = Panels.Transcripts();
            outcome.ControllerLog = Harness.Dir.Read(ControllerLogName());
            outcome.ErrorLog = Harness.ErrorLog();
        }
        return outcome;
    }

private:
    std::string ControllerLogName() const {
        const std::string& path = Form.FControllerLogFileName;
        return path.substr(path.find_last_of('/') + 1);
    }

    // Runs the loop for ms of virtual time, checking the window between any two steps.
    bool Advance(uint64_t ms) { return AdvanceUntil([] { return false; }, ms); }

    bool AdvanceUntil(const std::function<bool()>& done, uint64_t limitMs) {
        const uint64_t until = Loop.ElapsedMs() + limitMs;
        for (;;) {
            Invariants.CheckWindow();
            if (!Invariants.Violations.empty()) return false;
            if (done() || !Panels.Step(until)) return true;
        }
    }

    bool WriteWaits() const { return Form.FScriptRunning || Form.FLoadDemoPending || Form.FLoadFtdefPending; }

    // Whether the event changed anything; an in-wait event's is known once its wait comes.
    bool Apply(const ScheduleEvent& event, size_t index) {
        Panels.CatchUp();
        switch (event.Kind) {
            case EventKind::Press: return Press(event.Arg);
            case EventKind::Unplug: return Unplug();
            case EventKind::Plug: return Plug();
            case EventKind::NewPanel: return Swap(event.Arg);
            case EventKind::Restart: return Restart();
            case EventKind::Fault: return SetFault(FaultKind(event.Arg));
            case EventKind::OtherDevice: return SetOtherDevice(OtherDevicePlugged(event.Arg));
            case EventKind::InWait:
                Loop.OnNextWait = [this, arg = event.Arg, index] {
                    Panels.CatchUp();
                    FTookEffect[index] = InWait(InWaitActionOf(arg), InWaitPanelOf(arg));
                };
                return false;
            case EventKind::Pause: return true;
            case EventKind::PressAsItComesOn:
                // An impatient user clicking on: the click lands the moment the program enables a button.
                AdvanceUntil([this] { return !EnabledButtons().empty(); }, kServeLimitMs);
                return Press(event.Arg);
        }
        return false;
    }

    bool InWait(InWaitAction action, uint32_t kind) {
        switch (action) {
            case InWaitAction::Unplug: return Unplug();
            case InWaitAction::Replug: {
                const bool pulled = Unplug();
                return Plug() && pulled;
            }
            case InWaitAction::Restart: return Restart();
            case InWaitAction::Swap: return Swap(kind);
        }
        return false;
    }

    // An unplug does something unless the schedule has already pulled the panel out.
    bool Unplug() {
        const bool effect = Panels.Present() || !FPulledOut;
        Panels.Unplug();
        FPulledOut = true;
        return effect;
    }

    bool Plug() {
        const bool present = Panels.Present();
        Panels.Plug(nullptr);
        FPulledOut = false;
        return !present && Panels.Present();
    }

    bool Swap(uint32_t kind) {
        const emu::PanelRecord* before = Panels.Record();
        PlugNew(kind);
        if (Panels.Record() == before) return false;
        FPulledOut = false;
        FFault = emu::PanelFault::None;
        return true;
    }

    bool Restart() {
        const bool present = Panels.Present();
        Panels.Restart();
        return present;
    }

    bool SetFault(emu::PanelFault fault) {
        if (fault == FFault) return false;
        Panels.SetFault(fault);
        FFault = fault;
        return true;
    }

    bool SetOtherDevice(bool plugged) {
        if (plugged == FOtherDevice) return false;
        Panels.SetOtherDevice(plugged);
        FOtherDevice = plugged;
        return true;
    }

    std::vector<TButtonId> EnabledButtons() {
        static const TButtonId kButtons[] = {TButtonId::StartDemo, TButtonId::EndDemo, TButtonId::MoneyLittle,
                                             TButtonId::MoneyOff, TButtonId::MoneyFull};
        std::vector<TButtonId> enabled;
        for (TButtonId id : kButtons)
            if (View.Enabled[id]) enabled.push_back(id);
        return enabled;
    }

    // Only what a user can press: one of the enabled buttons, no sooner than kHandMs after the
    // hand last reached for one. Whether one was pressed.
    bool Press(uint32_t arg) {
        if (FLastPress && Loop.ElapsedMs() < *FLastPress + kHandMs && !Advance(*FLastPress + kHandMs - Loop.ElapsedMs()))
            return false;
        FLastPress = Loop.ElapsedMs();
        const std::vector<TButtonId> enabled = EnabledButtons();
        if (enabled.empty()) return false;
        const TButtonId id = enabled[arg % enabled.size()];
        if (id == TButtonId::StartDemo || id == TButtonId::EndDemo) ++FWritesStarted;
        Buttons[id]();
        return true;
    }

    // Another panel, in a write or its restart too.
    void PlugNew(uint32_t arg) {
        const emu::PanelOptions options = DrawnPanel(arg, FDrawn++);
        Panels.Unplug();
        Panels.Plug(&options);
        FKind = arg % kPanelKinds;
    }

    // A write under way ends once its panel behaves; then a healthy panel, plugged in
    // afresh and left alone, is served.
    void Serve() {
        Loop.OnNextWait = nullptr;
        Panels.SetFault(emu::PanelFault::None);
        if (Form.FScriptRunning && Panels.Present() &&
            AdvanceUntil([this] { return !Form.FScriptRunning; }, kWriteEndLimitMs) && Form.FScriptRunning)
            return Invariants.Violations.push_back("a write did not end within " + std::to_string(kWriteEndLimitMs) +
                                                   " ms");
        Panels.CatchUp();
        if (FKind >= kHealthyKinds) PlugNew(0);
        Panels.Unplug();
        Panels.Plug(nullptr);
        // By the panel's record too: the program's flags may still be those of the connection before.
        const auto served = [this] {
            return Form.FMainFirmware && !WriteWaits() && (Form.FState == psConnected || InDemonstration(Form.FState)) &&
                   AskedSinceLastPlug(*Panels.Record());
        };
        if (AdvanceUntil(served, kServeLimitMs) && !served())
            Invariants.Violations.push_back("a healthy panel was not served within " + std::to_string(kServeLimitMs) +
                                            " ms: state " + StateName(Form.FState) + ", write waiting " +
                                            std::to_string(WriteWaits()));
    }

    // The user is told of each write that ended unfinished, once, right after it ended.
    void CheckToldOnce() {
        if (View.MessageBoxes.back().Text.rfind(WriteNotFinishedLead(), 0) != 0) return;
        const size_t unfinished = UnfinishedWrites(Harness.ErrorLog());
        if (++FToldUnfinished != unfinished)
            Invariants.Violations.push_back("the user was told of " + std::to_string(FToldUnfinished) +
                                            " unfinished writes, when " + std::to_string(unfinished) + " had ended so");
    }

    // Each write that lost its panel before "reset" leaves one line; each that reached it was
    // completed, or leaves one line for a panel that did not wholly take it or for another panel
    // that came back in its place; nothing else is logged.
    void CheckErrorLog() {
        const std::string log = Harness.ErrorLog();
        const size_t interrupted = CountOf(log, "write interrupted");
        const size_t untaken = CountOf(log, "write not taken");
        const size_t uncompleted = CountOf(log, "write not completed");
        const size_t resets = CountOf(Harness.Dir.Read(ControllerLogName()), " OUT: reset\r\n");
        if (interrupted + resets != FWritesStarted)
            Invariants.Violations.push_back(std::to_string(FWritesStarted) + " writes, " + std::to_string(resets) +
                                            " reached \"reset\", but " + std::to_string(interrupted) +
                                            " interruptions logged");
        if (Invariants.Completions + untaken + uncompleted != resets)
            Invariants.Violations.push_back(std::to_string(resets) + " writes reached \"reset\", but " +
                                            std::to_string(Invariants.Completions) + " were completed, " +
                                            std::to_string(untaken) + " not taken and " + std::to_string(uncompleted) +
                                            " not completed");
        if (CountOf(log, "\r\n") != UnfinishedWrites(log))
            Invariants.Violations.push_back("unexplained error-log lines:\n" + log);
        if (FToldUnfinished != UnfinishedWrites(log))
            Invariants.Violations.push_back("the user was told of " + std::to_string(FToldUnfinished) +
                                            " unfinished writes, of " + std::to_string(UnfinishedWrites(log)));
    }

    FakeMessageLoop Loop;
    ShowingView View;
    std::unique_ptr<ScheduleTransport> FTransport;
    ScheduleTransport& Panels = *FTransport;
    FormHarness Harness{{Loop, View, Panels.DeviceSource(), Panels.Backend(), BuiltInResources()}};
    TZorvGSMDemoMainForm& Form = Harness.Form;
    DialogueInvariants Invariants{Form, View, Panels};
    std::map<TButtonId, std::function<void()>> Buttons;
    size_t FWritesStarted = 0;
    std::optional<uint64_t> FLastPress;
    uint32_t FKind = 0;
    uint32_t FDrawn = 0;  // panels drawn so far
    size_t FToldUnfinished = 0;
    // What the schedule has done to the panels, to tell an event that changes nothing.
    std::vector<bool> FTookEffect;
    bool FPulledOut = false;
    emu::PanelFault FFault = emu::PanelFault::None;
    bool FOtherDevice = false;
};

// Simpler versions of the schedule at its i-th event, the simplest first: without it, a plain
// pause instead (the later events keep their times), a pause folded into the next event, and
// its pause shortened. Each is simpler by a measure that only falls, so shrinking ends.
std::vector<Schedule> Simpler(const Schedule& schedule, size_t i) {
    std::vector<Schedule> candidates;
    const ScheduleEvent event = schedule[i];
    const auto with = [&](const std::function<void(Schedule&)>& change) {
        candidates.push_back(schedule);
        change(candidates.back());
    };
    const auto at = static_cast<std::ptrdiff_t>(i);
    with([&](Schedule& s) { s.erase(s.begin() + at); });
    if (event.Kind != EventKind::Pause)
        with([&](Schedule& s) { s[i] = Pause(std::chrono::milliseconds(event.DelayMs)); });
    if (event.Kind == EventKind::Pause && i + 1 < schedule.size())
        with([&](Schedule& s) {
            s[i + 1].DelayMs += event.DelayMs;
            s.erase(s.begin() + at);
        });
    if (event.DelayMs > 0) with([&](Schedule& s) { s[i].DelayMs = 0; });
    if (event.DelayMs > 1) with([&](Schedule& s) { s[i].DelayMs = event.DelayMs / 2; });
    return candidates;
}

}  // namespace

ScheduleOutcome RunSchedule(const Schedule& schedule, Transport transport) { return World(transport).Run(schedule); }

Schedule ShrinkSchedule(const Schedule& failing) {
    Schedule current = failing;
    // The run stops at its first violation, which may come in the pause before the next event.
    current.resize(std::min(current.size(), RunSchedule(current).EventsRun + 1));
    for (bool simpler = true; simpler;) {
        simpler = false;
        for (size_t i = current.size(); i-- > 0;) {
            for (Schedule& candidate : Simpler(current, i)) {
                if (RunSchedule(candidate).Violations.empty()) continue;
                current = std::move(candidate);
                simpler = true;
                break;
            }
        }
    }
    return current;
}

std::string ReportFailure(const std::string& name, const std::string& replay, const Schedule& schedule,
                          const ScheduleOutcome& failed, Transport transport) {
    const bool pty = transport == Transport::Pty;
    const Schedule shrunk = pty ? schedule : ShrinkSchedule(schedule);
    const ScheduleOutcome outcome = pty ? failed : RunSchedule(shrunk);
    std::string stem = name;
    std::replace(stem.begin(), stem.end(), ' ', '-');
    const std::filesystem::path log =
        std::filesystem::absolute(std::string(pty ? "schedule-pty-" : "schedule-") + stem + "-controller.log");
    std::ofstream(log, std::ios::binary) << outcome.ControllerLog;
    std::string text = name + " breaks the dialogue's invariants" + (pty ? " on pseudo-terminals" : "") +
                       " (replay: " + replay + ")\n" +
                       (pty ? "schedule, not shrunk, run up to event " + std::to_string(outcome.EventsRun) + ":\n"
                            : "schedule, shrunk from " + std::to_string(schedule.size()) + " events to " +
                                  std::to_string(shrunk.size()) + ":\n") +
                       DescribeSchedule(shrunk, outcome.TookEffect);
    for (const auto& violation : outcome.Violations) text += "violated: " + violation + "\n";
    return text + (pty ? "the panels' records:\n" : "the panel's record (in virtual time):\n") +
           outcome.Transcript + "error log:\n" + outcome.ErrorLog +
           "controller log kept in " + log.string() + "\n" +
           "the real program meets the panel of the kept log with: scripts/run --replay " + log.string() +
           " --strict (the Windows program: scripts/run --windows --replay " + log.string() + " --strict)\n";
}

std::string ReportFailure(uint64_t seed, const Schedule& schedule, const ScheduleOutcome& failed, Transport transport) {
    const std::string number = std::to_string(seed);
    return ReportFailure("seed " + number,
                         transport == Transport::Pty ? "scripts/schedules --pty --seed " + number
                                                     : "scripts/schedules --seed " + number + ", or ZORV_SCHEDULE_SEED=" +
                                                           number + " build/tests/schedule/schedule_tests",
                         schedule, failed, transport);
}

}  // namespace zorv::test
