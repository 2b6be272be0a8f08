#include "ui/WindowLayout.h"

namespace zorv {

int ScaleToDpi(int value, int dpi) {
    const long long scaled = static_cast<long long>(value) * dpi;
    const long long half = kDesignDpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kDesignDpi : -((-scaled + half) / kDesignDpi));
}

TLayoutRect ScaleToDpi(const TLayoutRect& rect, int dpi) {
    const int left = ScaleToDpi(rect.Left, dpi);
    const int top = ScaleToDpi(rect.Top, dpi);
    return {left, top, ScaleToDpi(rect.Left + rect.Width, dpi) - left, ScaleToDpi(rect.Top + rect.Height, dpi) - top};
}

const TLabelLayout kLabelLayout[kLabelCount] = {
    {TLabelId::ProgrammStateInfo, "ProgrammStateInfoLabel", TLayoutParent::Window, {30, 290, 290, 42},
     "Строка 1<BR>Строка 2<BR>Строка 3"},
    {TLabelId::UserActionInfo, "UserActionInfoLabel", TLayoutParent::Window, {340, 290, 270, 19}, "Строка 1"},
    {TLabelId::ObjectsTitle, "ObjectsTitleLabel", TLayoutParent::Panel, {30, 16, 75, 13}, "<B>Объекты</B>"},
    {TLabelId::MyPlovikTitle, "MyPlovikTitleLabel", TLayoutParent::Panel, {340, 16, 213, 13},
     "<B>Доступ в облачные сервисы</B>"},
    {TLabelId::CallCenterTitle, "CallCenterTitleLabel", TLayoutParent::Panel, {162, 16, 155, 13},
     "<B>Телефон call-центра</B>"},
    {TLabelId::ObjectsValue, "ObjectsValueLabel", TLayoutParent::Panel, {30, 33, 115, 13}, "0000, 0001"},
    {TLabelId::CallCenterValue, "CallCenterValueLabel", TLayoutParent::Panel, {162, 33, 155, 13}, "8 (000) 000-00-00"},
    {TLabelId::MyPlovikValue, "MyPlovikValueLabel", TLayoutParent::Panel, {340, 33, 221, 13}, "demo+0000  |  demo0000"},
};

const TButtonLayout kButtonLayout[kButtonCount] = {
    {TButtonId::StartDemo, "StartDemoButton", {30, 346, 171, 25}, "Записать демо-настройки"},
    {TButtonId::MoneyLittle, "MoneyLittleButton", {340, 315, 165, 25}, "Предупредить об оплате"},
    {TButtonId::MoneyOff, "MoneyOffButton", {340, 346, 173, 25}, "Отключить услуги охраны"},
    {TButtonId::MoneyFull, "MoneyFullButton", {340, 377, 125, 25}, "Услуги оплачены"},
    {TButtonId::EndDemo, "EndDemoButton", {30, 377, 199, 25}, "Записать заводские настройки"},
};

}  // namespace zorv
