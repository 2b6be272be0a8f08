#include "form/ZorvGSMDemoMain.h"
#include "foundation/Cp1251.h"

namespace zorv {

const char kDefaultPassword[] = "7653";

std::string MessageBoxTitle() { return Ansi("Зорв GSM: демонстрация работы."); }

std::string DesignCaption() { return Ansi("Зорв GSM: демонстрация работы. Версия"); }

// The package's udev rule gives the port to the user at the computer; only a
// remote or headless session still needs the group.
std::string PortAccessMessage(const std::string& DevicePath) {
    return Ansi("Нет доступа к порту прибора, подключенного к компьютеру:") + " " + DevicePath + "\r\n" +
           Ansi("Пользователю, работающему за компьютером, порт прибора открывает правило udev 70-zorv-gsm.rules. "
                "Его устанавливает пакет программы; программе, запущенной не из пакета, его нужно установить из "
                "папки packaging программы, затем отключить прибор и подключить снова. При работе по сети или без "
                "входа в систему за компьютером пользователь должен входить в группу dialout (после добавления в "
                "группу необходимо выйти из системы и войти снова).");
}

}  // namespace zorv
