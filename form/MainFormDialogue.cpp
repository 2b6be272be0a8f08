// The conversation with the panel: the reply lines read from the input ring,
// the start handshake, and the dispatch of those lines.
#include <string>

#include "form/ZorvGSMDemoMain.h"
#include "dialogue/PanelCommands.h"
#include "dialogue/PanelReplies.h"
#include "foundation/ExceptionGuard.h"
#include "serial/ComPortUS.h"

namespace zorv {
namespace {

constexpr char kReceiveData[] = "TZorvGSMDemoMainForm.OnComPortReceiveData";
}  // namespace

void TZorvGSMDemoMainForm::OnComPortReceiveData(TComPortUS* /*Sender*/) {
    Guarded(kReceiveData, [&] {
        // The wait after "TIME=" handles messages, so this can be called again while a line of the
        // running scan is being dispatched. A nested scan would work on a stale position; the
        // running one reads the counters afresh and is asked to look once more when it ends.
        if (FScanning) {
            FRescanRequested = true;
            return;
        }
        FScanning = true;
        do {
            FRescanRequested = false;
            ScanInputRing();
        } while (FRescanRequested);
        FScanning = false;
    });
}

void TZorvGSMDemoMainForm::ScanInputRing() {
    Guarded(kReceiveData, [&] {
        std::vector<uint8_t> bytes;
        // Dispatching a line may close the port or open it again, so the port is looked up
        // afresh for every line.
        while (FComPort && FLineReader.NextLine(*FComPort, bytes)) {
            const std::string line = Bytes2String(bytes);
            AddInpControllerLog(line);
            if (!line.empty()) {
                if (FMainFirmware) NewString(line);
                else HandshakeLine(line);
            }
        }
    });
}

std::string TZorvGSMDemoMainForm::Bytes2String(const std::vector<uint8_t>& Bytes) {
    std::string text;
    Guarded("TZorvGSMDemoMainForm.Bytes2String", [&] { text = ReceivedLineText(Bytes); });
    return text;
}

void TZorvGSMDemoMainForm::SendCommand(const std::string& Command) {
    Guarded("TZorvGSMDemoMainForm.SendCommand", [&] {
        // Without an open port nothing reaches the panel, so nothing is logged as sent either.
        if (!FComPort || !FComPort->Active() || FComPort->Status() != cpsOpened) return;
        AddOutControllerLog(Command);
        const std::vector<uint8_t> block = CommandBytes(Command);
        FComPort->PutBlock(block.data(), block.size());
        if (!RestartsPanel(Command)) return;
        // The panel restarts: the script is complete, and the drop that follows is the
        // restart's, not a lost connection. The port check finds the panel again.
        FScriptRunning = false;
        OnConnectButtonClick();
        FCheckPortsTimer->SetEnabled(true);
    });
}

void TZorvGSMDemoMainForm::OnComPortOpen(TComPortUS* /*Sender*/) {
    Guarded("TZorvGSMDemoMainForm.OnComPortOpen", [&] {
        // A piece of a line held over from an earlier connection would be glued to the new
        // panel's first reply.
        FLineReader.Clear();
        ++FConnectionCount;
        StartMain();
    });
}

void TZorvGSMDemoMainForm::StartMain() {
    Guarded("TZorvGSMDemoMainForm.StartMain", [&] {
        FCurrentCommand = kVersionCommand;
        SendCommand(std::string());
        SendCommand(FCurrentCommand);
    });
}

void TZorvGSMDemoMainForm::HandshakeLine(const std::string& Line) {
    const TReply reply = ReadReply(Line, FCurrentCommand, AwaitedAfter(FCurrentCommand));
    if (reply.Kind == TReplyKind::Bootloader) {
        FCurrentCommand = kStartMainCommand;
        SendCommand(FCurrentCommand);
        FLoop.Sleep(5);
        EndConnection();
        return;
    }
    if (reply.Kind != TReplyKind::MainFirmware) return;

    FMainFirmware = true;
    FFirmwareVersion = reply.Version;
    if (FLoadDemoPending || FLoadFtdefPending) BeginCompletion();
    else CheckConnectedDevice();
    ShowCurrentState();
}

void TZorvGSMDemoMainForm::NewString(const std::string& Line) {
    Guarded("TZorvGSMDemoMainForm.NewString", [&] {
        // While a script runs, every line is read as an answer to its command.
        const TAwaited awaited = FScriptRunning ? TAwaited::ScriptReply : AwaitedAfter(FCurrentCommand);
        const TReply reply = ReadReply(Line, FCurrentCommand, awaited, FExpectedReply);
        switch (reply.Kind) {
            case TReplyKind::ScriptAnswered: return NextCommandFromList();
            case TReplyKind::LoginAccepted:
            case TReplyKind::LoginUnknown:
            case TReplyKind::WrongPassword: return AcceptLogin(reply);
            case TReplyKind::SerialNumber:
            case TReplyKind::SerialNotSet:
            case TReplyKind::SerialUnreadable: return AcceptSerialNumber(reply);
            default: return;
        }
    });
}

}  // namespace zorv
