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

DialogueInvariants::DialogueInvariants(const TZorvGSMDemoMainForm& form, const FakeMainView& view, LoopPanels& panels)
    : FForm(form), FView(view), FPanels(panels), FFactoryScript(ScriptLines(false, 0)) {}

void DialogueInvariants::Fail(const std::string& what) { Violations.push_back(what); }

void DialogueInvariants::OnPanelLine(const std::string& line) {
    if (FPanels.Connection() != FConnection) {
        FConnection = FPanels.Connection();
        FLines.clear();
        FDemoAt = FFactoryAt = 0;
    }
    const size_t position = FLines.size();
    const std::string previous = FLines.empty() ? std::string() : FLines.back();
    FLines.push_back(line);
    const auto expect = [&](bool allowed, const char* rule) {
        if (!allowed) Fail("the panel got \"" + line + "\" " + rule);
    };
    if (position < 2) {
        expect(line == (position == 0 ? "" : "VERSION?"), "where a connection must begin with an empty line and \"VERSION?\"");
        return;
    }
    if (line == "START_MAIN") return expect(!FForm.FMainFirmware, "outside the handshake with a bootloader");
    if (line == "AUTH=7653") return expect(!FForm.FScriptRunning, "during a script");
    if (line == "KVELT_SN?") return expect(previous == "AUTH=7653", "not right after the login");
    if (line == "ARM_IGNORE_TAMPER=1")
        return expect(FForm.FLoadDemoPending && !FForm.FScriptRunning, "with no demonstration write to complete");
    if (IsTimeCommand(line)) return expect(previous == "ARM_IGNORE_TAMPER=1", "not right after the tamper setting");
    if (line == "ARM_ALLOWED=2" || line == "ARM_ALLOWED=3" || line == "ARM_ALLOWED=0")
        return expect(InDemonstration(FForm.FState) && !FForm.FScriptRunning, "outside the billing states");
    if (!FForm.FScriptRunning) return Fail("the panel got \"" + line + "\" with no script running");
    if (!ContinuesScript(line)) Fail("the panel got \"" + line + "\" out of the running script's order");
}

bool DialogueInvariants::ContinuesScript(const std::string& line) {
    if (FDemoAt == 0 && FFactoryAt == 0) FDemoScript = ScriptLines(true, FForm.FObjectNumber);
    const auto advance = [&line](const std::vector<std::string>& script, size_t& at) {
        at = at < script.size() && script[at] == line && (at > 0 || line == script[0]) ? at + 1 : SIZE_MAX;
    };
    // Both scripts begin alike; a connection holds at most one write, which must follow one of them.
    if (FDemoAt != SIZE_MAX) advance(FDemoScript, FDemoAt);
    if (FFactoryAt != SIZE_MAX) advance(FFactoryScript, FFactoryAt);
    return FDemoAt != SIZE_MAX || FFactoryAt != SIZE_MAX;
}

void DialogueInvariants::OnStateShown() {
    const TProgramState previous = FShown;
    FShown = FForm.FState;
    const bool demo = InDemonstration(FShown);
    const bool factoryDone = FShown == psConnected && previous == psLoadFtdef;
    if (!demo && !factoryDone) return;
    const std::string state = std::string(kStateViews[FShown].Prefix);
    if (!FPanels.Current()) return Fail(state + " shown before any panel was plugged in");
    // The factory settings are in the panel once it took them, even if it goes now;
    // the demonstration is only complete on a connection that took the clock.
    if (demo && (!FPanels.Connected() || !FForm.FMainFirmware)) return Fail(state + " shown while no panel is connected");
    std::string why;
    const emu::PanelRecord& record = FPanels.Current()->Record;
    if (demo && !DemoWriteTaken(record, FForm.FObjectNumber, why))
        Fail(state + " shown, but the panel connected now has " + why);
    if (factoryDone && !FactoryWriteTaken(record, why)) Fail("Connected shown after the factory write, but " + why);
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
