#include "form/FormButtons.h"

#include "form/ZorvGSMDemoMain.h"

namespace zorv {

void BindFormButtons(TZorvGSMDemoMainForm& Form, const TButtonBinder& Bind) {
    Bind(TButtonId::StartDemo, [&Form] { Form.OnStartDemoButtonClick(); });
    Bind(TButtonId::EndDemo, [&Form] { Form.OnEndDemoButtonClick(); });
    Bind(TButtonId::MoneyLittle, [&Form] { Form.OnMoneyLittleButtonClick(); });
    Bind(TButtonId::MoneyOff, [&Form] { Form.OnMoneyOffButtonClick(); });
    Bind(TButtonId::MoneyFull, [&Form] { Form.OnMoneyFullButtonClick(); });
}

}  // namespace zorv
