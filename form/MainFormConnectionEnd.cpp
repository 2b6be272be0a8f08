// What ends with a connection to the panel: the port, the deferred steps of
// its identification, and a script write that had not yet sent its "reset";
// and the other ways a write ends unfinished, each logged and told to the user once.
#include <string>

#include "form/ZorvGSMDemoMain.h"
#include "dialogue/CommandsList.h"
#include "foundation/CommonUtils.h"
#include "foundation/ExceptionGuard.h"
#include "serial/ComPortUS.h"

namespace zorv {

void TZorvGSMDemoMainForm::EndConnection() {
    Guarded("TZorvGSMDemoMainForm.EndConnection", [&] {
        if (FComPort) FComPort->SetActive(false);
        FMainFirmware = false;
        FTestedPort = -1;
        // A login due 100 ms after this connection's answer would overwrite the next
        // connection's "VERSION?" and stall its handshake.
        FConnectionTimers.clear();
        FWriteSerialAsked = false;
        // SendCommand clears the flag before "reset" drops the port, so a script still
        // running here lost its connection half-way.
        if (FScriptRunning) AbandonScriptWrite();
    });
}

void TZorvGSMDemoMainForm::AbandonScriptWrite() {
    // Completing the write after a replug would report settings the panel never got, and
    // the watchdog would feed the rest of the script, "reset" included, to the next connection.
    const std::string script = WriteName();
    FScriptRunning = false;
    if (FSendCommandTimer) FSendCommandTimer->SetEnabled(false);
    if (FCommandsList) FCommandsList->Clear();
    FLoadDemoPending = false;
    FLoadFtdefPending = false;
    AddErrorLog(WriteInterruptedLogLine(script, FCurrentCommand));
    TellUser(WriteInterruptedMessage());
}

void TZorvGSMDemoMainForm::AbandonUntakenWrite() {
    const std::string script = WriteName();
    FLoadDemoPending = false;
    FLoadFtdefPending = false;
    // As on a fresh connection: waiting until the panel is identified.
    FState = psWaitConnect;
    AddErrorLog(WriteUnansweredLogLine(script));
    TellUser(WriteUnansweredMessage());
}

void TZorvGSMDemoMainForm::AbandonOtherPanelWrite(int32_t AnsweredSerial) {
    AddErrorLog(OtherPanelLogLine(WriteName(), FWriteSerialNumber, AnsweredSerial));
    TellUser(OtherPanelMessage(FWriteSerialNumber, AnsweredSerial));
    FLoadDemoPending = false;
    FLoadFtdefPending = false;
    // Identified as any panel newly plugged in: its firmware, its login and its own number.
    FState = psWaitConnect;
    CheckConnectedDevice();
    ShowCurrentState();
}

std::string TZorvGSMDemoMainForm::WriteName() const { return FLoadDemoPending ? "Demonstration" : "Factory"; }

}  // namespace zorv
