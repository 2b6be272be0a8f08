#include "app/ZorvGSMDemoMain.h"
#include "foundation/Cp1251.h"

namespace zorv {

const char kDefaultPassword[] = "7653";

std::string MessageBoxTitle() { return Ansi("Зорв GSM: демонстрация работы."); }

std::string DesignCaption() { return Ansi("Зорв GSM: демонстрация работы. Версия"); }

std::string PortAccessMessage(const std::string& DevicePath) {
    return Ansi("Нет доступа к порту прибора, подключенного к компьютеру:") + " " + DevicePath + "\r\n" +
           Ansi("Для работы с прибором пользователь должен входить в группу dialout (после добавления в группу "
                "необходимо выйти из системы и войти снова) или должно быть установлено правило udev 99-zorv-gsm.rules "
                "из папки packaging программы.");
}

}  // namespace zorv
