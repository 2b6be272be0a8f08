// The program state as the window shows it: the two state labels, the five
// buttons and the information panel.
#include "form/ZorvGSMDemoMain.h"
#include "foundation/ExceptionGuard.h"
#include "ui/CaptionFormat.h"
#include "ui/CaptionsList.h"
#include "ui/GreyedTexts.h"

namespace zorv {
namespace {

struct TStateView {
    const char* CaptionPrefix;
    bool StartDemo;
    bool MoneyLittle;
    bool MoneyOff;
    bool MoneyFull;
    bool EndDemo;
    bool PanelFilled;
};

// Indexed by TProgramState.
const TStateView kStateViews[] = {
    {"WaitConnect", false, false, false, false, false, false},
    {"WrongVersion", false, false, false, false, false, false},
    {"Connected", true, false, false, false, true, false},
    {"LoadDemo", false, false, false, false, false, false},
    {"DemoLoaded", false, true, true, false, true, true},
    {"MoneyLittle", false, false, true, true, true, true},
    {"MoneyOff", false, true, false, true, true, true},
    {"MoneyFull", false, true, true, false, true, true},
    {"LoadFtdef", false, false, false, false, false, false},
};
static_assert(sizeof(kStateViews) / sizeof(kStateViews[0]) == psLoadFtdef + 1, "one row per program state");

std::string Caption(const std::string& key) {
    std::string text;
    GetCaption(key, text);
    return text;
}

}  // namespace

void TZorvGSMDemoMainForm::SetStartState() {
    Guarded("TZorvGSMDemoMainForm.SetStartState", [&] {
        FMainFirmware = false;
        FScriptRunning = false;
        FLoadDemoPending = false;
        FLoadFtdefPending = false;
        FPasswordRequired = false;
        FSerialNumber = -1;
        FObjectNumber = 0;
        FState = psWaitConnect;
        ShowCurrentState();
    });
}

void TZorvGSMDemoMainForm::ShowCurrentState() {
    Guarded("TZorvGSMDemoMainForm.ShowCurrentState", [&] {
        if (FState > psLoadFtdef) return;
        const TStateView& view = kStateViews[FState];
        const std::string prefix = view.CaptionPrefix;
        ProgrammStateInfoLabel.SetCaption(Caption(prefix + "_StateInfo"));
        UserActionInfoLabel.SetCaption(Caption(prefix + "_ActionInfo"));

        StartDemoButton.SetEnabled(view.StartDemo);
        MoneyLittleButton.SetEnabled(view.MoneyLittle);
        MoneyOffButton.SetEnabled(view.MoneyOff);
        MoneyFullButton.SetEnabled(view.MoneyFull);
        EndDemoButton.SetEnabled(view.EndDemo);

        if (!view.PanelFilled) return ShowGreyedPanel();
        ObjectsTitleLabel.SetCaption(Caption("ObjectsTitle_Caption"));
        CallCenterTitleLabel.SetCaption(Caption("CallCenterTitle_Caption"));
        MyPlovikTitleLabel.SetCaption(Caption("MyPlovikTitle_Caption"));
        const int64_t object = FObjectNumber;
        ObjectsValueLabel.SetCaption(FormatCaption(Caption("ObjectsValue_Caption"), {object, object + 1}));
        CallCenterValueLabel.SetCaption(Caption("CallCenterValue_Caption"));
        MyPlovikValueLabel.SetCaption(FormatCaption(Caption("MyPlovikValue_Caption"), {object, object}));
    });
}

void TZorvGSMDemoMainForm::ShowGreyedPanel() {
    ObjectsTitleLabel.SetCaption(GreyedTitle(Caption("ObjectsTitle_Caption")));
    ObjectsValueLabel.SetCaption(GreyedPlaceholder());
    CallCenterTitleLabel.SetCaption(GreyedTitle(Caption("CallCenterTitle_Caption")));
    CallCenterValueLabel.SetCaption(GreyedPlaceholder());
    MyPlovikTitleLabel.SetCaption(GreyedTitle(Caption("MyPlovikTitle_Caption")));
    MyPlovikValueLabel.SetCaption(GreyedPlaceholder());
}

}  // namespace zorv
