// The fixed texts of the window: button captions and the greyed information panel.
#include "form/ZorvGSMDemoMain.h"
#include "foundation/ExceptionGuard.h"
#include "ui/CaptionsList.h"
#include "ui/GreyedTexts.h"

namespace zorv {

void TZorvGSMDemoMainForm::InitCaption() {
    Guarded("TZorvGSMDemoMainForm.InitCaption", [&] {
        std::string text;
        GetCaption("StartDemoButton_Caption", text);
        StartDemoButton.SetCaption(text);
        GetCaption("MoneyLittleButton_Caption", text);
        MoneyLittleButton.SetCaption(text);
        GetCaption("MoneyOffButton_Caption", text);
        MoneyOffButton.SetCaption(text);
        GetCaption("MoneyFullButton_Caption", text);
        MoneyFullButton.SetCaption(text);
        GetCaption("EndDemoButton_Caption", text);
        EndDemoButton.SetCaption(text);

        GetCaption("ObjectsTitle_Caption", text);
        ObjectsTitleLabel.SetCaption(GreyedTitle(text));
        ObjectsValueLabel.SetCaption(GreyedPlaceholder());
        GetCaption("CallCenterTitle_Caption", text);
        CallCenterTitleLabel.SetCaption(GreyedTitle(text));
        CallCenterValueLabel.SetCaption(GreyedPlaceholder());
        GetCaption("MyPlovikTitle_Caption", text);
        MyPlovikTitleLabel.SetCaption(GreyedTitle(text));
        MyPlovikValueLabel.SetCaption(GreyedPlaceholder());
    });
}

}  // namespace zorv
