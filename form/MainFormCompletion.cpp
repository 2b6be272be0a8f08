// What happens after a write's "reset": on the panel's first answer from its
// main firmware the write is completed, but only on the panel it was written
// to. Every panel has the same USB identity, so the serial number is the one
// thing that tells whether the written panel came back or another took its place.
#include <string>

#include "form/ZorvGSMDemoMain.h"
#include "dialogue/PanelCommands.h"
#include "dialogue/PanelReplies.h"
#include "foundation/ExceptionGuard.h"
#include "serial/ComPortUS.h"

namespace zorv {
namespace {

// A panel answers within milliseconds; a mute one is completed as before, after this wait.
constexpr unsigned kWriteSerialWaitMs = 2000;

}  // namespace

void TZorvGSMDemoMainForm::BeginCompletion() {
    if (FScriptUnanswered) {
        AbandonUntakenWrite();
        CheckConnectedDevice();
        return;
    }
    if (FPasswordRequired) {
        FCurrentCommand = LoginCommand();
        SendCommand(FCurrentCommand);
        FLoop.Sleep(FLoadDemoPending ? 500 : 50);
    }
    // Nothing to compare with: completed as it always was.
    if (FWriteSerialNumber < 0) return FinishCompletion();
    // The panel answers the login first, so its "OK" is read before the write can complete
    // and cannot be taken for the answer to the next script's first command.
    FCurrentCommand = kSerialNumberCommand;
    SendCommand(FCurrentCommand);
    FWriteSerialAsked = true;
    StartOneShotTimer(FConnectionTimers, kWriteSerialWaitMs, &TZorvGSMDemoMainForm::OnWriteSerialTimer);
}

void TZorvGSMDemoMainForm::AcceptWriteSerialNumber(const TReply& Reply) {
    FWriteSerialAsked = false;
    // A panel without a serial number cannot be told apart: the write is completed as before.
    if (Reply.Kind == TReplyKind::SerialNumber && Reply.SerialNumber != FWriteSerialNumber) {
        AbandonOtherPanelWrite(Reply.SerialNumber);
        return;
    }
    FinishCompletion();
    ShowCurrentState();
}

void TZorvGSMDemoMainForm::OnWriteSerialTimer(ITimer* Sender) {
    Guarded("TZorvGSMDemoMainForm.OnWriteSerialTimer", [&] {
        ReleaseOneShotTimer(FConnectionTimers, Sender);
        if (!FWriteSerialAsked) return;
        FWriteSerialAsked = false;
        FinishCompletion();
        ShowCurrentState();
    });
}

void TZorvGSMDemoMainForm::FinishCompletion() {
    if (FLoadDemoPending) {
        const uint32_t connection = FConnectionCount;
        FCurrentCommand = kIgnoreTamperCommand;
        SendCommand(FCurrentCommand);
        FLoop.Sleep(50);
        FCurrentCommand = TimeCommand(FLoop.Now());
        SendCommand(FCurrentCommand);
        FLoop.ProcessMessagesFor(50);
        // A removal taken in that wait ended this connection, and with it what the commands
        // above may have missed: the write stays pending for the next connection of the
        // panel, to which both commands can safely go again.
        if (connection != FConnectionCount || !FMainFirmware) return;
        if (FComPort->Lost()) {
            // Gone in the waits, though the system has not announced it yet: the port check
            // finds the panel again.
            EndConnection();
            FCheckPortsTimer->SetEnabled(true);
            return;
        }
        FState = psDemoLoaded;
        FLoadDemoPending = false;
    } else if (FLoadFtdefPending) {
        FLoadFtdefPending = false;
        FState = psConnected;
    }
}

}  // namespace zorv
