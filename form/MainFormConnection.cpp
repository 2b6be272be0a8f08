// The one serial port of the program: created at start-up, opened on the
// panel's port when one is usable, closed when the panel has gone or restarts.
#include <memory>

#include "form/ZorvGSMDemoMain.h"
#include "discovery/PanelIdentity.h"
#include "discovery/SerialPort.h"
#include "foundation/CommonUtils.h"
#include "foundation/ExceptionGuard.h"
#include "serial/ComPortDrv.h"
#include "serial/ComPortUS.h"

namespace zorv {

void TZorvGSMDemoMainForm::SetPortDefault() {
    Guarded("TZorvGSMDemoMainForm.SetPortDefault", [&] {
        if (FComPort) return;
        try {
            FComPort = std::make_unique<TComPortUS>(FLoop, FPorts);
            FComPort->SetPort(1);
            FComPort->SetBaudRate(115200);
            FComPort->SetDataBits(8);
            FComPort->SetStopBits(kOneStopBit);
            FComPort->SetParity(kNoParity);
            FComPort->SetInpBufSize(32768);
            FComPort->OnOpen = [this](TComPortUS* Sender) { OnComPortOpen(Sender); };
            FComPort->OnReceiveData = [this](TComPortUS* Sender) { OnComPortReceiveData(Sender); };
        } catch (...) {
            FComPort.reset();
            AddErrorLog(PortSetupFailedLogLine());
            FView.Close();
        }
    });
}

int32_t TZorvGSMDemoMainForm::GetTestedPortNumber() {
    int32_t result = -1;
    Guarded("TZorvGSMDemoMainForm.GetTestedPortNumber", [&] {
        if (!FPortList) return;
        for (const auto& port : *FPortList) {
            if (CarriesPanelProduct(*port) && port->Enabled) {
                result = port->PortNumber;
                break;
            }
        }
    });
    return result;
}

void TZorvGSMDemoMainForm::OnConnectButtonClick() {
    Guarded("TZorvGSMDemoMainForm.OnConnectButtonClick", [&] {
        if (!FComPort) return;
        if (FMainFirmware) {
            EndConnection();
            if (!FLoadDemoPending && !FLoadFtdefPending) SetStartState();
            return;
        }
        const int32_t port = GetTestedPortNumber();
        if (port == -1) return;
        if (FComPort->Active()) FComPort->SetActive(false);
        FComPort->SetPort(port);
        FComPort->SetBaudRate(115200);
        bool escaped = false;
        try {
            FComPort->SetActive(true);
            if (FComPort->Status() == cpsOpened) FTestedPort = port;
        } catch (...) {
            escaped = true;
        }
        if (escaped) FComPort->SetActive(false);
        // A port that has only just appeared may not be accessible yet, and no
        // further notification may come: the port check retries every 5000 ms.
        // (Retrying at once could recurse without end on a lasting failure.)
        if ((escaped || FComPort->Status() != cpsOpened) && FCheckPortsTimer) FCheckPortsTimer->SetEnabled(true);
        if (FComPort->Status() == cpsOpened)
            FPortFailures.Forget(port);
        else if (!escaped)
            ReportPortFailure("OnConnectButtonClick", port, FComPort->OpenResult());
    });
}

}  // namespace zorv
