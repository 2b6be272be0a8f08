// Construction of the main window object and its deferred one-shot steps.
#include <algorithm>

#include "foundation/FilePaths.h"
#include "dialogue/CommandsList.h"
#include "discovery/DeviceSource.h"
#include "discovery/SerialPort.h"
#include "serial/ComPortUS.h"
#include "app/ZorvGSMDemoMain.h"

namespace zorv {

TZorvGSMDemoMainForm::TZorvGSMDemoMainForm(IMessageLoop& loop, IMainView& view, IDeviceSource& devices)
    : ProgrammStateInfoLabel(view, TLabelId::ProgrammStateInfo),
      UserActionInfoLabel(view, TLabelId::UserActionInfo),
      ObjectsTitleLabel(view, TLabelId::ObjectsTitle),
      CallCenterTitleLabel(view, TLabelId::CallCenterTitle),
      MyPlovikTitleLabel(view, TLabelId::MyPlovikTitle),
      ObjectsValueLabel(view, TLabelId::ObjectsValue),
      CallCenterValueLabel(view, TLabelId::CallCenterValue),
      MyPlovikValueLabel(view, TLabelId::MyPlovikValue),
      StartDemoButton(view, TButtonId::StartDemo),
      EndDemoButton(view, TButtonId::EndDemo),
      MoneyOffButton(view, TButtonId::MoneyOff),
      MoneyLittleButton(view, TButtonId::MoneyLittle),
      MoneyFullButton(view, TButtonId::MoneyFull),
      FIniFileName(ExtractFilePath(GetExecutablePath()) + "ZorvGSMDemo.ini"),
      FLoop(loop),
      FView(view),
      FDevices(devices) {}

TZorvGSMDemoMainForm::~TZorvGSMDemoMainForm() = default;

void TZorvGSMDemoMainForm::StartOneShotTimer(unsigned IntervalMs, void (TZorvGSMDemoMainForm::*Handler)(ITimer*)) {
    FOneShotTimers.push_back(FLoop.CreateTimer(IntervalMs, [this, Handler](ITimer* sender) { (this->*Handler)(sender); }, true));
}

void TZorvGSMDemoMainForm::ReleaseOneShotTimer(ITimer* Sender) {
    auto it = std::find_if(FOneShotTimers.begin(), FOneShotTimers.end(),
                           [Sender](const std::unique_ptr<ITimer>& t) { return t.get() == Sender; });
    if (it != FOneShotTimers.end()) FOneShotTimers.erase(it);
}

}  // namespace zorv
