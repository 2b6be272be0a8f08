// The five buttons and the pump that sends a script one command at a time,
// each after the panel's answer to the one before or after the watchdog.
#include "form/ZorvGSMDemoMain.h"
#include "dialogue/CommandsList.h"
#include "dialogue/PanelCommands.h"
#include "foundation/ExceptionGuard.h"

namespace zorv {

void TZorvGSMDemoMainForm::OnStartDemoButtonClick() {
    Guarded("TZorvGSMDemoMainForm.OnStartDemoButtonClick", [&] {
        FCommandsList->InitStartCmd();
        if (FCommandsList->Count() == 0) {
            ShowMessageBox(NoStartCommandsMessage(), kErrorMessageFlags);
            FView.Close();
            return;
        }
        FCommandsList->InitAccount(static_cast<uint32_t>(FObjectNumber));
        FWriteSerialNumber = FSerialNumber;
        FScriptUnanswered = false;
        FScriptRunning = true;
        FLoadDemoPending = true;
        FLoadFtdefPending = false;
        FState = psLoadDemo;
        ShowCurrentState();
        NextCommandFromList();
    });
}

void TZorvGSMDemoMainForm::OnEndDemoButtonClick() {
    Guarded("TZorvGSMDemoMainForm.OnEndDemoButtonClick", [&] {
        FCommandsList->InitEndCmd();
        if (FCommandsList->Count() == 0) return;
        FWriteSerialNumber = FSerialNumber;
        FScriptUnanswered = false;
        FScriptRunning = true;
        FLoadDemoPending = false;
        FLoadFtdefPending = true;
        FState = psLoadFtdef;
        ShowCurrentState();
        NextCommandFromList();
    });
}

void TZorvGSMDemoMainForm::SendBillingCommand(const char* Command, TProgramState State) {
    // The state changes at once: the panel's answer is neither awaited nor read.
    FCurrentCommand = Command;
    SendCommand(FCurrentCommand);
    FState = State;
    ShowCurrentState();
}

void TZorvGSMDemoMainForm::OnMoneyLittleButtonClick() {
    Guarded("TZorvGSMDemoMainForm.OnMoneyLittleButtonClick", [&] { SendBillingCommand(kMoneyLittleCommand, psMoneyLittle); });
}

void TZorvGSMDemoMainForm::OnMoneyOffButtonClick() {
    Guarded("TZorvGSMDemoMainForm.OnMoneyOffButtonClick", [&] { SendBillingCommand(kMoneyOffCommand, psMoneyOff); });
}

void TZorvGSMDemoMainForm::OnMoneyFullButtonClick() {
    Guarded("TZorvGSMDemoMainForm.OnMoneyFullButtonClick", [&] { SendBillingCommand(kMoneyFullCommand, psMoneyFull); });
}

void TZorvGSMDemoMainForm::NextCommandFromList() {
    Guarded("TZorvGSMDemoMainForm.NextCommandFromList", [&] {
        FSendCommandTimer->SetEnabled(false);
        if (FCommandsList->GetNextCommand(FCurrentCommand, FExpectedReply)) {
            SendCommand(FCurrentCommand);
            // Enabled after being disabled above, so the 60000 ms count starts from this command.
            FSendCommandTimer->SetEnabled(true);
        } else {
            FScriptRunning = false;
        }
    });
}

void TZorvGSMDemoMainForm::OnSendCommandTimer(ITimer* /*Sender*/) {
    Guarded("TZorvGSMDemoMainForm.OnSendCommandTimer", [&] {
        // The script goes on, but a command given up may not be in the panel.
        if (FScriptRunning) FScriptUnanswered = true;
        NextCommandFromList();
    });
}

}  // namespace zorv
