// The port list of the main window: rebuilt at start-up, on every device
// arrival or removal and by the port check; after each rebuild the panel's
// port is connected or a vanished panel disconnected.
#include <memory>
#include <string>

#include "form/ZorvGSMDemoMain.h"
#include "discovery/DeviceSource.h"
#include "discovery/PanelIdentity.h"
#include "discovery/PortNumberText.h"
#include "discovery/SerialPort.h"
#include "foundation/CommonUtils.h"
#include "foundation/Cp1251.h"
#include "foundation/ExceptionGuard.h"
#include "foundation/Exceptions.h"
#include "foundation/TextUtils.h"
#include "serial/ComPortUS.h"

namespace zorv {
namespace {

// The friendly-name buffer holds 257 bytes.
constexpr size_t kFriendlyNameLimit = 257;

// The port number of a friendly name that ends in "(COMn)"; false when there is none.
bool ReadFriendlyNamePort(const std::string& name, int32_t& number) {
    const size_t open = name.find("(COM");
    if (open == std::string::npos) return false;
    // From behind "(" up to, not including, the last character; text after ")" spoils the number.
    const std::string inner = name.substr(open + 1, name.size() - 1 - (open + 1));
    return inner.size() > 3 && ReadPortNumber(inner.substr(3), number);
}

}  // namespace

void TZorvGSMDemoMainForm::CreateRegister() {
    Guarded("TZorvGSMDemoMainForm.CreateRegister", [&] {
        FDevices.RegisterNotifications([this](const TDeviceChangeMessage& Message) { OnDeviceChange(Message); });
    });
}

void TZorvGSMDemoMainForm::OnDeviceChange(const TDeviceChangeMessage& Message) {
    Guarded("TZorvGSMDemoMainForm.OnDeviceChange", [&] {
        const bool deviceInterface = Message.DeviceType == kDbtDevTypDeviceInterface;
        if (Message.WParam == kDbtDeviceArrival && deviceInterface) RefreshComPorts(true);
        if (Message.WParam == kDbtDeviceRemoveComplete && deviceInterface) RefreshComPorts(false);
    });
}

void TZorvGSMDemoMainForm::OnCheckPortsTimer(ITimer*) {
    Guarded("TZorvGSMDemoMainForm.OnCheckPortsTimer", [&] {
        if (!FMainFirmware) RefreshComPorts(true);
    });
}

void TZorvGSMDemoMainForm::RefreshComPorts(bool Arrival) {
    Guarded("TZorvGSMDemoMainForm.RefreshComPorts", [&] {
        if (FCheckPortsTimer) FCheckPortsTimer->SetEnabled(false);
        FillComPortsList();
        if (Arrival) {
            if (GetTestedPortNumber() != -1 && !FMainFirmware) {
                OnConnectButtonClick();
            } else if (FCheckPortsTimer) {
                FCheckPortsTimer->SetEnabled(true);
            }
        } else if (GetTestedPortNumber() == -1) {
            EndConnection();
        }
    });
}

void TZorvGSMDemoMainForm::ClearPortList() {
    Guarded("TZorvGSMDemoMainForm.ClearPortList", [&] {
        if (FPortList) FPortList->clear();
    });
}

void TZorvGSMDemoMainForm::FillComPortsList() {
    Guarded("TZorvGSMDemoMainForm.FillComPortsList", [&] {
        ClearPortList();
        // A notification may still arrive after shutdown released the list.
        if (!FPortList) return;
        const std::string names = FDevices.QueryDosDevices();
        int32_t position = 1;
        std::string token;
        for (;;) {
            NextToken(names, position, token);
            if (token.empty()) break;
            if (token.compare(0, 3, "COM") != 0) continue;
            int32_t number = 0;
            if (!ReadPortNumber(token.substr(3), number)) continue;
            auto port = std::make_unique<TSerialPort>();
            port->PortNumber = number;
            port->PortName = token;
            FPortList->push_back(std::move(port));
        }
        FillFriendlyNames();
        CheckComPortsEnabled();
    });
}

void TZorvGSMDemoMainForm::NextToken(const std::string& Text, int32_t& Position, std::string& Token) {
    if (Position < 1) throw ERangeError(Ansi("aStartPos должен быть больше 0"));
    Token.clear();
    if (Text.size() < static_cast<size_t>(Position)) return;
    const size_t start = static_cast<size_t>(Position) - 1;
    const size_t nul = Text.find('\0', start);
    if (nul == std::string::npos) {
        Position = 1;
        return;
    }
    Token = Text.substr(start, nul - start);
    Position = static_cast<int32_t>(nul + 2);
}

void TZorvGSMDemoMainForm::FillFriendlyNames() {
    Guarded("TZorvGSMDemoMainForm.FillFriendlyNames", [&] {
        const std::unique_ptr<IDeviceInfoSet> devices = FDevices.GetClassDevs(kPanelInstancePath);
        if (!devices || !FPortList) return;
        for (uint32_t index = 0; devices->EnumDeviceInfo(index); ++index) {
            int32_t number = 0;
            if (!ReadFriendlyNamePort(GetDeviceName(*devices, index), number)) continue;
            for (const auto& port : *FPortList) {
                if (port->PortNumber != number) continue;
                port->Product = kPanelProduct;
                break;
            }
        }
    });
}

std::string TZorvGSMDemoMainForm::GetDeviceName(IDeviceInfoSet& DeviceInfoSet, uint32_t Index) {
    std::string result;
    Guarded("TZorvGSMDemoMainForm.GetDeviceName",
            [&] { result = UntilNul(DeviceInfoSet.FriendlyName(Index)).substr(0, kFriendlyNameLimit); });
    return result;
}

void TZorvGSMDemoMainForm::CheckComPortsEnabled() {
    Guarded("TZorvGSMDemoMainForm.CheckComPortsEnabled", [&] {
        if (!FPortList) return;
        FPortFailures.ForgetUnlisted(*FPortList);
        // While the handshake runs, the program's own hold makes its port fail the probe.
        const auto heldHere = [this](int32_t number) {
            return FComPort && FComPort->Active() && FComPort->Status() == cpsOpened && FComPort->Port() == number;
        };
        // A panel unplugged and plugged in again before this rebuild is listed on the same port,
        // but the port held open is dead: it is the one thing that tells.
        const bool held = FMainFirmware && FComPort && !FComPort->Lost();
        bool found = false;
        for (const auto& port : *FPortList) {
            if (held && port->PortNumber == FTestedPort) {
                port->Enabled = true;
                if (!port->Product.empty()) found = true;
            } else if (CarriesPanelProduct(*port)) {
                const TPortResult probe = FDevices.ProbeExclusive(port->PortNumber);
                port->Enabled = static_cast<bool>(probe);
                if (!probe && !heldHere(port->PortNumber))
                    ReportPortFailure("CheckComPortsEnabled", port->PortNumber, probe);
            } else {
                // Opening a port raises DTR and RTS, which resets many boards:
                // only the panel's own ports are ever opened.
                port->Enabled = false;
            }
        }
        if (FMainFirmware && !found) OnConnectButtonClick();
    });
}

void TZorvGSMDemoMainForm::ReportPortFailure(const char* Operation, int32_t PortNumber, const TPortResult& Result) {
    if (!FPortFailures.Settled(PortNumber, Result, FLoop.Now())) return;
    AddErrorLog(PortFailureLogLine(Operation, PortNumber, Result.Path, Result.Text));
    if (Result.Outcome != poDenied && Result.Outcome != poBusy) return;
    if (!FPortFailures.FirstOfItsKind(Result.Outcome)) return;
    TellUser(Result.Outcome == poDenied ? PortAccessMessage(Result.Path) : PortBusyMessage(Result.Path));
}

}  // namespace zorv
