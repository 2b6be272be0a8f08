#include "DialogueInvariants.h"

#include <algorithm>

#include "PanelRecordChecks.h"
#include "StateViews.h"
#include "ScriptLines.h"
#include "ui/CaptionsList.h"

namespace zorv::test {

bool InDemonstration(TProgramState state) {
    return state == psDemoLoaded || state == psMoneyLittle || state == psMoneyOff || state == psMoneyFull;
}

LineRules::LineRules() : FFactoryScript(ScriptLines(false, 0)) {}

void LineRules::NewConnection() {
    FLines.clear();
    FDemoAt = FFactoryAt = 0;
}

std::string LineRules::Check(const std::string& line, const LineMoment& moment) {
    const size_t position = FLines.size();
    const std::string previous = FLines.empty() ? std::string() : FLines.back();
    FLines.push_back(line);
    const auto expect = [&](bool allowed, const char* rule) {
        return allowed ? std::string() : "the panel got \"" + line + "\" " + rule;
    };
    if (position < 2)
        return expect(line == (position == 0 ? "" : "VERSION?"),
                      "where a connection must begin with an empty line and \"VERSION?\"");
    if (line == "START_MAIN") return expect(moment.Bootloader, "outside the handshake with a bootloader");
    if (line == "AUTH=7653") return expect(moment.Login, "during a script");
    if (line == "KVELT_SN?")
        return expect(previous == "AUTH=7653" || (previous == "VERSION?" && moment.WriteAwaits),
                      "not right after the login, nor to complete a write");
    if (line == "ARM_IGNORE_TAMPER=1") return expect(moment.Completion, "with no demonstration write to complete");
    if (IsTimeCommand(line)) return expect(previous == "ARM_IGNORE_TAMPER=1", "not right after the tamper setting");
    if (line == "ARM_ALLOWED=2" || line == "ARM_ALLOWED=3" || line == "ARM_ALLOWED=0")
        return expect(moment.Billing, "outside the billing states");
    if (!moment.Script) return expect(false, "with no script running");
    return expect(ContinuesScript(line, moment.ObjectNumber), "out of the running script's order");
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

void DialogueInvariants::OnPanelLine(const std::string& line, uint32_t connection) {
    if (connection != FConnection) {
        FConnection = connection;
        FLines.NewConnection();
    }
    const bool running = FForm.FScriptRunning;
    const std::string why = FLines.Check(line, {!FForm.FMainFirmware, !running, running,
                                                FForm.FLoadDemoPending && !running,
                                                InDemonstration(FForm.FState) && !running, FForm.FObjectNumber,
                                                FForm.FLoadDemoPending || FForm.FLoadFtdefPending});
    if (!why.empty()) Fail(why);
}

void DialogueInvariants::CheckRecordedLines(const emu::PanelRecord& record) {
    // On a real port the panel's thread reads a line some time after the program wrote it, when
    // the form may have moved on, so the form's state at that moment is not known. The rule is
    // judged afterwards from the record alone. The parts that need no state hold as they are:
    // a connection (from its empty line, or from a plug) begins with "" and "VERSION?"; script
    // lines follow one script's order from its first line, one write per connection; the serial
    // number right after the login; the clock right after the tamper setting. For the rest, what
    // the panel saw stands for the form's state:
    // - "START_MAIN" only after the panel answered as a bootloader on this connection;
    // - "AUTH=" only before any line of a write on this connection;
    // - the tamper setting only on a connection without a write, after a demonstration write
    //   took this panel to its "reset" (whether that write was completed since is the form's to know);
    // - billing only after the clock on this connection, and before any line of a write on it.
    // Not judged: that a script line comes while the form runs a write (only its order shows).
    // The account line carries the object number from the serial number this panel gave.
    LineRules rules;
    bool bootloader = false, clock = false, demoReset = false, writeReset = false;
    int32_t objectNumber = FForm.FObjectNumber;
    const auto newConnection = [&] {
        rules.NewConnection();
        bootloader = clock = false;
    };
    for (const auto& entry : record.Entries()) {
        if (entry.Kind == emu::EntryKind::Sent && entry.Text.find("Bootloader") != std::string::npos) bootloader = true;
        if (entry.Kind == emu::EntryKind::Sent && entry.Text.rfind("KVELT_SN=", 0) == 0 && entry.Text.size() > 9 &&
            entry.Text.find_first_not_of("0123456789", 9) == std::string::npos)
            objectNumber = static_cast<int32_t>(std::stoul(entry.Text.substr(9)) % 10000);
        if (IsPlugEvent(entry.Kind, entry.Text)) newConnection();
        if (entry.Kind != emu::EntryKind::Received) continue;
        if (entry.Text.empty()) newConnection();
        const bool write = rules.WriteBegun();
        const std::string why =
            rules.Check(entry.Text, {bootloader, !write, true, !write && demoReset, clock && !write, objectNumber,
                                     !write && writeReset});
        if (!why.empty()) return Fail(why + " (judged from the record)");
        if (IsTimeCommand(entry.Text)) clock = true;
        if (rules.WriteBegun()) demoReset = rules.DemoWhole();
        if (rules.WriteBegun()) writeReset = entry.Text == "reset";
    }
}

void DialogueInvariants::OnStateShown() {
    const TProgramState previous = FShown;
    FShown = FForm.FState;
    const bool demo = InDemonstration(FShown);
    const bool factoryDone = FShown == psConnected && previous == psLoadFtdef;
    if (!demo && !factoryDone) return;
    const std::string state = std::string(kStateViews[FShown].Prefix);
    if (!FPanels.Record()) return Fail(state + " shown before any panel was plugged in");
    // The factory settings are in the panel once it took them, even if it goes now;
    // the demonstration is only complete on a connection that took the clock.
    if (demo && (!FPanels.Connected() || !FForm.FMainFirmware)) return Fail(state + " shown while no panel is connected");
    std::string why;
    if (demo && !FPanels.Settled([&] { return DemoWriteTaken(*FPanels.Record(), FForm.FObjectNumber, why); }))
        Fail(state + " shown, but the panel connected now has " + why);
    if (factoryDone && !FPanels.Settled([&] { return FactoryWriteTaken(*FPanels.Record(), why); }))
        Fail("Connected shown after the factory write, but " + why);
}

void DialogueInvariants::CheckWindow() {
    if (FForm.FState > psLoadFtdef) return Fail("no such state: " + std::to_string(FForm.FState));
    const StateView& view = kStateViews[FForm.FState];
    std::string caption;
    GetCaption(std::string(view.Prefix) + "_StateInfo", caption);
    const auto label = FView.Labels.find(TLabelId::ProgrammStateInfo);
    if (label == FView.Labels.end() || label->second != caption)
        Fail(std::string("the window does not show the text of ") + view.Prefix);
    const auto enabled = [&](TButtonId button) {
        const auto it = FView.Enabled.find(button);
        return it != FView.Enabled.end() && it->second;
    };
    if (enabled(TButtonId::StartDemo) != view.StartDemo || enabled(TButtonId::EndDemo) != view.EndDemo ||
        enabled(TButtonId::MoneyLittle) != view.MoneyLittle || enabled(TButtonId::MoneyOff) != view.MoneyOff ||
        enabled(TButtonId::MoneyFull) != view.MoneyFull)
        Fail(std::string("the buttons enabled are not those of ") + view.Prefix);
}

}  // namespace zorv::test
