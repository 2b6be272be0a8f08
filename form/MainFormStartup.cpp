// The life of the main window: what its creation builds, in order; the first
// tick after the message loop started, which loads the texts and the script
// and shows the window; and what its destruction releases, port first.
#include <memory>

#include "form/ZorvGSMDemoMain.h"
#include "dialogue/CommandsList.h"
#include "discovery/SerialPort.h"
#include "foundation/ApplicationExceptions.h"
#include "foundation/ExceptionGuard.h"
#include "serial/ComPortUS.h"
#include "ui/CaptionsList.h"
#include "ui/WindowLayout.h"

namespace zorv {
void TZorvGSMDemoMainForm::OnFormCreate() {
    Guarded("TZorvGSMDemoMainForm.OnFormCreate", [&] {
        FView.SetCaption(DesignCaption() + " " + FFileVersion);
        FView.SetPanelColor(kPanelColor);
        CreateRegister();
        ReadIniFile();
        FCheckPortsTimer = FLoop.CreateTimer(5000, [this](ITimer* Sender) { OnCheckPortsTimer(Sender); }, true);
        FPortList = std::make_unique<TSerialPortList>();
        SetPortDefault();
        RefreshComPorts(true);
        FSendCommandTimer = FLoop.CreateTimer(60000, [this](ITimer* Sender) { OnSendCommandTimer(Sender); }, false);
        SetApplicationExceptionHandler([this](const std::exception& E) { OnApplicationException(E); });
        StartOneShotTimer(FOneShotTimers, 1, &TZorvGSMDemoMainForm::OnStartProgramTimer);
    });
}

void TZorvGSMDemoMainForm::OnStartProgramTimer(ITimer* Sender) {
    Guarded("TZorvGSMDemoMainForm.OnStartProgramTimer", [&] {
        if (Sender) ReleaseOneShotTimer(FOneShotTimers, Sender);
        CaptionsList = std::make_unique<TCaptionsList>(FResources);
        InitCaption();
        SetStartState();
        FCommandsList = std::make_unique<TCommandsList>(FResources);
        FCommandsList->InitStartCmd();
        if (FCommandsList->Count() > 0) {
            FView.Show();
        } else {
            ShowMessageBox(NoStartCommandsMessage(), kErrorMessageFlags);
            FView.Close();
        }
    });
}

void TZorvGSMDemoMainForm::OnFormDestroy() {
    Guarded("TZorvGSMDemoMainForm.OnFormDestroy", [&] {
        if (FComPort) {
            FComPort->SetActive(false);
            FComPort.reset();
        }
        FCheckPortsTimer.reset();
        CaptionsList.reset();
        FCommandsList.reset();
        if (FPortList) {
            ClearPortList();
            FPortList.reset();
        }
    });
}

}  // namespace zorv
