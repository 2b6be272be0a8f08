#include "DialogueInvariants.h"

#include <algorithm>
#include <utility>

#include "PanelFault.h"
#include "PanelRecordChecks.h"
#include "StateViews.h"
#include "ScriptLines.h"
#include "ui/CaptionFormat.h"
#include "ui/CaptionsList.h"

namespace zorv::test {

namespace {

// The value a billing state's "ARM_ALLOWED=" command carries; empty for the other states.
std::string BillingValue(TProgramState state) {
    switch (state) {
        case psMoneyLittle: return "2";
        case psMoneyOff: return "3";
        case psMoneyFull: return "0";
        default: return "";
    }
}

// The object number of a panel with this serial number; none without a number.
std::optional<int32_t> ObjectNumberOf(const std::string& serialNumber) {
    if (serialNumber.empty() || serialNumber.size() > 9 || serialNumber.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return static_cast<int32_t>(std::stoul(serialNumber) % 10000);
}

// The panel's last answer before the line it has just read is a bootloader's.
bool BootloaderAnswered(const emu::PanelRecord& record) {
    const std::vector<emu::TranscriptEntry> entries = record.Entries();
    bool current = true;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->Kind == emu::EntryKind::Sent) return entry->Text.find("Bootloader") != std::string::npos;
        if (entry->Kind == emu::EntryKind::Received && !std::exchange(current, false)) return false;
    }
    return false;
}

std::string Caption(const std::string& key) {
    std::string text;
    GetCaption(key, text);
    return text;
}

}  // namespace

bool InDemonstration(TProgramState state) {
    return state == psDemoLoaded || state == psMoneyLittle || state == psMoneyOff || state == psMoneyFull;
}

LineRules::LineRules() : FFactoryScript(ScriptLines(false, 0)) {}

void LineRules::NewConnection() {
    FConnectionLines.clear();
    FDemoAt = FFactoryAt = 0;
}

std::string LineRules::Check(const std::string& line, const LineMoment& moment) {
    const size_t position = FConnectionLines.size();
    const std::string previous = FConnectionLines.empty() ? std::string() : FConnectionLines.back();
    FConnectionLines.push_back(line);
    const auto expect = [&](bool allowed, const char* rule) {
        return allowed ? std::string() : "the panel got \"" + line + "\" " + rule;
    };
    if (position < 2)
        return expect(line == (position == 0 ? "" : "VERSION?"),
                      "where a connection must begin with an empty line and \"VERSION?\"");
    if (line == "START_MAIN")
        return expect(position == 2 && moment.Bootloader, "other than right after a bootloader's answer to \"VERSION?\"");
    if (line == "AUTH=7653") return expect(moment.Login, "during a script");
    if (line == "KVELT_SN?")
        return expect(previous == "AUTH=7653" || (previous == "VERSION?" && moment.Completion),
                      "neither right after the login nor right after \"VERSION?\" to complete a write");
    if (line == "ARM_IGNORE_TAMPER=1")
        return expect(moment.DemoCompletion && previous == "KVELT_SN?",
                      "other than right after the serial number was asked to complete a demonstration write");
    if (IsTimeCommand(line)) return expect(previous == "ARM_IGNORE_TAMPER=1", "not right after the tamper setting");
    if (line == "ARM_ALLOWED=2" || line == "ARM_ALLOWED=3" || line == "ARM_ALLOWED=0")
        return expect(moment.Billing, "outside the billing states");
    if (!moment.Script) return expect(false, "with no script running");
    if (!ContinuesScript(line, moment.ObjectNumber)) return expect(false, "out of the running script's order");
    return expect(!moment.Early, "before the panel's answer to the line before it reached the program");
}

bool LineRules::ContinuesScript(const std::string& line, int32_t objectNumber) {
    if (FDemoAt == 0 && FFactoryAt == 0) FDemoScript = ScriptLines(true, objectNumber);
    const auto advance = [&line](const std::vector<std::string>& script, size_t& at) {
        at = at < script.size() && script[at] == line && (at > 0 || line == script[0]) ? at + 1 : SIZE_MAX;
    };
    // Both scripts begin alike; a connection holds at most one write, which must follow one of them.
    if (FDemoAt != SIZE_MAX) advance(FDemoScript, FDemoAt);
    if (FFactoryAt != SIZE_MAX) advance(FFactoryScript, FFactoryAt);
    return FDemoAt != SIZE_MAX || FFactoryAt != SIZE_MAX;
}

DialogueInvariants::DialogueInvariants(const TZorvGSMDemoMainForm& form, const FakeMainView& view,
                                       const PanelSide& panels)
    : FForm(form), FView(view), FPanels(panels) {}

void DialogueInvariants::Fail(const std::string& what) { Violations.push_back(what); }

void DialogueInvariants::OnPanelLine(const std::string& line, uint32_t connection, bool early) {
    if (connection != FConnection) {
        FConnection = connection;
        FLineRules.NewConnection();
    }
    const bool running = FForm.FScriptRunning;
    const bool waits = (FForm.FLoadDemoPending || FForm.FLoadFtdefPending) && !running;
    LineMoment moment;
    moment.Bootloader = line == "START_MAIN" && BootloaderAnswered(*FPanels.Record());
    moment.Login = !running;
    moment.Script = running;
    moment.Completion = waits;
    moment.DemoCompletion = waits && FForm.FLoadDemoPending;
    moment.Billing = InDemonstration(FForm.FState) && !running;
    moment.Early = early;
    moment.ObjectNumber = FForm.FObjectNumber;
    const std::string why = FLineRules.Check(line, moment);
    if (!why.empty()) Fail(why);
}

void DialogueInvariants::CheckRecordedLines(const emu::PanelRecord& record,
                                            const std::optional<emu::Clock::time_point>& firstReset) {
    // On a real port the panel's thread reads a line some time after the program wrote it, when
    // the form may have moved on, so the form's state at that moment is not known. The rule is
    // judged afterwards from the record alone. The parts that need no state hold as they are:
    // a connection (from its empty line, or from a plug) begins with "" and "VERSION?"; script
    // lines follow one script's order from its first line, one write per connection; the serial
    // number right after the login; the clock right after the tamper setting. For the rest, what
    // the panels saw stands for the form's state:
    // - "START_MAIN" only right after "VERSION?", when the panel's last answer was a bootloader's;
    // - "AUTH=" only before any line of a write on this connection;
    // - the serial number right after "VERSION?" only once some panel took a write's "reset";
    // - the tamper setting only on a connection without a write, right after the serial number,
    //   after a demonstration write took this panel to its "reset" (whether that write was
    //   completed since is the form's to know);
    // - billing only after the clock on this connection, and before any line of a write on it;
    // - a script line not while the panel held back an answer behind an unasked line (the
    //   emulator notes a line that came meanwhile).
    // Not judged: that a script line comes while the form runs a write (only its order shows).
    // The account line carries the object number from the serial number this panel gave.
    LineRules rules;
    bool bootloader = false, clock = false, demoReset = false, early = false;
    int32_t objectNumber = FForm.FObjectNumber;
    const auto newConnection = [&] {
        rules.NewConnection();
        clock = false;
    };
    for (const auto& entry : record.Entries()) {
        if (entry.Kind == emu::EntryKind::Sent) bootloader = entry.Text.find("Bootloader") != std::string::npos;
        if (entry.Kind == emu::EntryKind::Sent && entry.Text.rfind("KVELT_SN=", 0) == 0)
            if (const std::optional<int32_t> number = ObjectNumberOf(entry.Text.substr(9))) objectNumber = *number;
        if (entry.Event == emu::PanelEvent::EarlyLine) early = true;
        if (IsPlugEvent(entry.Event)) newConnection();
        if (entry.Kind != emu::EntryKind::Received) continue;
        if (entry.Text.empty()) newConnection();
        const bool write = rules.WriteBegun();
        const bool waits = !write && firstReset && entry.Time > *firstReset;
        const std::string why = rules.Check(
            entry.Text, {bootloader, !write, true, waits, !write && demoReset, clock && !write, early, objectNumber});
        if (!why.empty()) return Fail(why + " (judged from the record)");
        bootloader = early = false;
        if (IsTimeCommand(entry.Text)) clock = true;
        if (rules.WriteBegun()) demoReset = rules.DemoWhole();
    }
}

void DialogueInvariants::OnStateShown() {
    const TProgramState previous = FShown;
    FShown = FForm.FState;
    if (FShown != previous && (FShown == psLoadDemo || FShown == psLoadFtdef)) {
        FWriteSerialNumber = FPanels.Connected() ? FPanels.SerialNumber() : std::string();
        FWriteRecord = FPanels.Connected() ? FPanels.Record() : nullptr;
        // A panel without a serial number takes the object number the program had.
        FShownObject = ObjectNumberOf(FWriteSerialNumber).value_or(FForm.FObjectNumber);
        FObjectLabel = FormatCaption(Caption("ObjectsValue_Caption"), {int64_t{FShownObject}, int64_t{FShownObject} + 1});
    }
    const bool demo = InDemonstration(FShown);
    const bool factoryDone = FShown == psConnected && previous == psLoadFtdef;
    if (!demo && !factoryDone) return;
    const std::string state = std::string(kStateViews[FShown].Prefix);
    if (!FPanels.Record()) return Fail(state + " shown before any panel was plugged in");
    // The demonstration is only complete on a connection that took the clock.
    if (demo && (!FPanels.Connected() || !FForm.FMainFirmware)) return Fail(state + " shown while no panel is connected");
    const emu::PanelRecord* written = WrittenRecord(state);
    if (!written) return;
    if (factoryDone || (FShown == psDemoLoaded && previous == psLoadDemo)) ++Completions;
    if (demo) return CheckDemonstration(state, *written);
    // The factory settings are in the panel once it took them, even if it goes now.
    std::string why;
    if (!FPanels.Settled([&] { return FactoryWriteTaken(*written, why); }))
        Fail("Connected shown after the factory write, but " + why);
}

const emu::PanelRecord* DialogueInvariants::WrittenRecord(const std::string& state) {
    if (FPanels.Record() == FWriteRecord) return FWriteRecord;
    // A panel that could not tell its serial number is completed as the written one was.
    if (FWriteRecord && FPanels.Settled([&] { return SerialNumberWithheld(*FPanels.Record()); })) return FWriteRecord;
    Fail(state + " shown for the panel with serial number " + FPanels.SerialNumber() + ", but the write began on " +
         (FWriteSerialNumber.empty() ? "no panel" : FWriteSerialNumber));
    return nullptr;
}

void DialogueInvariants::CheckDemonstration(const std::string& state, const emu::PanelRecord& written) {
    std::string why = "no whole demonstration write";
    if (&written == FPanels.Record() ? !FPanels.Settled([&] { return DemoWriteTaken(written, FShownObject, why); })
                                     : !DemoWriteReset(written, FShownObject))
        return Fail(state + " shown, but the panel written to has " + why);
    const emu::PanelRecord& record = *FPanels.Record();
    const std::string billing = BillingValue(FShown);
    if (!billing.empty() && !FPanels.Settled([&] { return LastReceived(record, "ARM_ALLOWED=") == "ARM_ALLOWED=" + billing; }))
        Fail(state + " shown, but the panel's last billing command is \"" + LastReceived(record, "ARM_ALLOWED=") + "\"");
}

void DialogueInvariants::CheckWindow() {
    if (FForm.FState > psLoadFtdef) return Fail("no such state: " + std::to_string(FForm.FState));
    const StateView& view = kStateViews[FForm.FState];
    const auto label = FView.Labels.find(TLabelId::ProgrammStateInfo);
    if (label == FView.Labels.end() || label->second != Caption(std::string(view.Prefix) + "_StateInfo"))
        Fail(std::string("the window does not show the text of ") + view.Prefix);
    const auto enabled = [&](TButtonId button) {
        const auto it = FView.Enabled.find(button);
        return it != FView.Enabled.end() && it->second;
    };
    if (enabled(TButtonId::StartDemo) != view.StartDemo || enabled(TButtonId::EndDemo) != view.EndDemo ||
        enabled(TButtonId::MoneyLittle) != view.MoneyLittle || enabled(TButtonId::MoneyOff) != view.MoneyOff ||
        enabled(TButtonId::MoneyFull) != view.MoneyFull)
        Fail(std::string("the buttons enabled are not those of ") + view.Prefix);
    if (!InDemonstration(FForm.FState)) return;
    const auto objects = FView.Labels.find(TLabelId::ObjectsValue);
    if (objects == FView.Labels.end() || objects->second != FObjectLabel)
        Fail("the window does not show the object number " + std::to_string(FShownObject) + " of the panel written to");
}

}  // namespace zorv::test
