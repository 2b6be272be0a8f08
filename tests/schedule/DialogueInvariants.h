#pragma once
// What must hold at every moment of the dialogue, judged by what the panel
// itself received and holds (its record), not by what the program believes:
// - a demonstration state only while the panel connected now took one whole
//   demonstration write in order, each command answered, up to its "reset",
//   and after it "ARM_IGNORE_TAMPER=1" and "TIME=";
// - the connected state after a factory write only when the panel took
//   "ftdef", "settings_save" and "reset";
// - nothing reaches a panel that the dialogue's rules do not send at that
//   moment: each connection starts with an empty line and "VERSION?", script
//   lines only inside a running write and in its order, billing commands only
//   in the billing states;
// - the window shows the state's text and exactly its buttons.
#include <string>
#include <vector>

#include "LoopPanel.h"
#include "form/ZorvGSMDemoMain.h"
#include "FakeMainView.h"

namespace zorv::test {

class DialogueInvariants {
public:
    DialogueInvariants(const TZorvGSMDemoMainForm& form, const FakeMainView& view, LoopPanels& panels);

    // A line the panel reads, at the moment it reads it.
    void OnPanelLine(const std::string& line);
    // The program has just shown its state (its state label was written).
    void OnStateShown();
    // Between two steps of the loop: the window against the state.
    void CheckWindow();

    std::vector<std::string> Violations;

private:
    void Fail(const std::string& what);
    bool ContinuesScript(const std::string& line);

    const TZorvGSMDemoMainForm& FForm;
    const FakeMainView& FView;
    LoopPanels& FPanels;
    std::vector<std::string> FDemoScript;
    std::vector<std::string> FFactoryScript;
    TProgramState FShown = psWaitConnect;
    // The lines of the current connection, and how far into each script they went.
    uint32_t FConnection = 0;
    std::vector<std::string> FLines;
    size_t FDemoAt = 0;
    size_t FFactoryAt = 0;
};

// The states in which the window shows the demonstration object.
bool InDemonstration(TProgramState state);

}  // namespace zorv::test
