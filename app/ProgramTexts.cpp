#include "app/Cp1251.h"
#include "ui/ZorvGSMDemoMain.h"

namespace zorv {

const char kDefaultPassword[] = "7653";

std::string MessageBoxTitle() { return Ansi("Зорв GSM: демонстрация работы."); }

std::string DesignCaption() { return Ansi("Зорв GSM: демонстрация работы. Версия"); }

}  // namespace zorv
