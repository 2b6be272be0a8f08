// The fixed texts of the window: button captions, and the information panel greyed until a panel is known.
#include "form/ZorvGSMDemoMain.h"
#include "foundation/ExceptionGuard.h"
#include "ui/CaptionsList.h"

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
        ShowGreyedPanel();
    });
}

}  // namespace zorv
