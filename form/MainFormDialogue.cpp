// The conversation with the panel: the reply lines read from the input ring,
// the start handshake, and the dispatch of those lines.
#include <string>

#include "form/ZorvGSMDemoMain.h"
#include "foundation/Cp1251.h"
#include "foundation/ExceptionGuard.h"
#include "serial/ComPortUS.h"

namespace zorv {
namespace {

constexpr char kReceiveData[] = "TZorvGSMDemoMainForm.OnComPortReceiveData";
constexpr uint8_t kCR = 13;
constexpr uint8_t kLF = 10;

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

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
    Guarded("TZorvGSMDemoMainForm.Bytes2String", [&] {
        text.assign(Bytes.begin(), Bytes.end());
        size_t begin = 0;
        while (begin < text.size() && (text[begin] == '\r' || text[begin] == '\n' || text[begin] == ' ')) ++begin;
        size_t end = text.size();
        while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
        text = text.substr(begin, end - begin);
    });
    return text;
}

void TZorvGSMDemoMainForm::SendCommand(const std::string& Command) {
    Guarded("TZorvGSMDemoMainForm.SendCommand", [&] {
        // Without an open port nothing reaches the panel, so nothing is logged as sent either.
        if (!FComPort || !FComPort->Active() || FComPort->Status() != cpsOpened) return;
        const bool restart = AnsiUpperCase(Command) == "RESET";
        AddOutControllerLog(Command);
        std::vector<uint8_t> block(Command.begin(), Command.end());
        block.push_back(kCR);
        block.push_back(kLF);
        FComPort->PutBlock(block.data(), block.size());
        if (!restart) return;
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
        FCurrentCommand = "VERSION?";
        SendCommand(std::string());
        SendCommand(FCurrentCommand);
    });
}

void TZorvGSMDemoMainForm::HandshakeLine(const std::string& Line) {
    if (Line == FCurrentCommand || FCurrentCommand != "VERSION?") return;

    if (Contains(Line, "Bootloader")) {
        FCurrentCommand = "START_MAIN";
        SendCommand(FCurrentCommand);
        FLoop.Sleep(5);
        EndConnection();
        return;
    }
    if (!Contains(Line, "Main")) return;

    FMainFirmware = true;
    const size_t ver = Line.find("ver=");
    FFirmwareVersion = ver != std::string::npos ? Line.substr(ver + 4) : Line.substr(3);

    if (FLoadDemoPending || FLoadFtdefPending) BeginCompletion();
    else CheckConnectedDevice();
    ShowCurrentState();
}

void TZorvGSMDemoMainForm::NewString(const std::string& Line) {
    Guarded("TZorvGSMDemoMainForm.NewString", [&] {
        if (Line.empty()) return;
        const std::string upper = AnsiUpperCase(Line);
        if (upper == AnsiUpperCase(FCurrentCommand)) return;  // the panel's echo

        if (FScriptRunning) {
            const bool answered = Line == "OK" || Line == "UNKNOWN_COMMAND" ||
                                  (!FExpectedReply.empty() && Contains(upper, AnsiUpperCase(FExpectedReply).c_str())) ||
                                  Contains(upper, "VALUE ERROR");
            if (answered) NextCommandFromList();
            return;
        }
        if (Contains(FCurrentCommand, "AUTH=")) {
            AcceptLogin(Line);
            return;
        }
        if (FCurrentCommand == "KVELT_SN?" && Contains(Line, "KVELT_SN=")) AcceptSerialNumber(Line);
    });
}

}  // namespace zorv
