// Construction of the main window object and its deferred one-shot steps.
#include <algorithm>

#include "form/ZorvGSMDemoMain.h"
#include "dialogue/CommandsList.h"
#include "discovery/DeviceSource.h"
#include "discovery/SerialPort.h"
#include "serial/ComPortUS.h"

namespace zorv {

TZorvGSMDemoMainForm::TZorvGSMDemoMainForm(const TFormSeams& Seams)
    : ProgrammStateInfoLabel(Seams.View, TLabelId::ProgrammStateInfo),
      UserActionInfoLabel(Seams.View, TLabelId::UserActionInfo),
      ObjectsTitleLabel(Seams.View, TLabelId::ObjectsTitle),
      CallCenterTitleLabel(Seams.View, TLabelId::CallCenterTitle),
      MyPlovikTitleLabel(Seams.View, TLabelId::MyPlovikTitle),
      ObjectsValueLabel(Seams.View, TLabelId::ObjectsValue),
      CallCenterValueLabel(Seams.View, TLabelId::CallCenterValue),
      MyPlovikValueLabel(Seams.View, TLabelId::MyPlovikValue),
      StartDemoButton(Seams.View, TButtonId::StartDemo),
      EndDemoButton(Seams.View, TButtonId::EndDemo),
      MoneyOffButton(Seams.View, TButtonId::MoneyOff),
      MoneyLittleButton(Seams.View, TButtonId::MoneyLittle),
      MoneyFullButton(Seams.View, TButtonId::MoneyFull),
      FIniFileName(Seams.IniFileName),
      FLoop(Seams.Loop),
      FView(Seams.View),
      FDevices(Seams.Devices),
      FPorts(Seams.Ports),
      FResources(Seams.Resources),
      FFileVersion(Seams.FileVersion) {}

TZorvGSMDemoMainForm::~TZorvGSMDemoMainForm() = default;

void TZorvGSMDemoMainForm::StartOneShotTimer(TTimerList& Timers, unsigned IntervalMs,
                                             void (TZorvGSMDemoMainForm::*Handler)(ITimer*)) {
    Timers.push_back(FLoop.CreateTimer(IntervalMs, [this, Handler](ITimer* sender) { (this->*Handler)(sender); }, true));
}

void TZorvGSMDemoMainForm::ReleaseOneShotTimer(TTimerList& Timers, ITimer* Sender) {
    auto it = std::find_if(Timers.begin(), Timers.end(),
                           [Sender](const std::unique_ptr<ITimer>& t) { return t.get() == Sender; });
    if (it != Timers.end()) Timers.erase(it);
}

}  // namespace zorv
