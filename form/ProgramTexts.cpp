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

std::string PortBusyMessage(const std::string& DevicePath) {
    return Ansi("Порт прибора, подключенного к компьютеру, занят другой программой:") + " " + DevicePath + "\r\n" +
           Ansi("Закройте программу, которая открыла порт (например, терминал или вторую копию этой программы), "
                "затем отключите прибор и подключите снова.");
}

std::string WriteNotFinishedLead() { return Ansi("Запись настроек в прибор не закончена."); }

std::string WriteInterruptedMessage() {
    return WriteNotFinishedLead() + "\r\n" +
           Ansi("Связь с прибором прервалась до конца записи. Подключите прибор и запишите настройки ещё раз.");
}

std::string WriteUnansweredMessage() {
    return WriteNotFinishedLead() + "\r\n" +
           Ansi("Прибор не ответил на одну из команд, и часть настроек могла не записаться. "
                "Запишите настройки ещё раз.");
}

std::string OtherPanelMessage(int32_t WrittenSerial, int32_t AnsweredSerial) {
    return WriteNotFinishedLead() + "\r\n" + Ansi("После перезапуска вместо прибора с серийным номером") + " " +
           std::to_string(WrittenSerial) + " " + Ansi("подключен прибор с серийным номером") + " " +
           std::to_string(AnsweredSerial) + ". " +
           Ansi("Подключите первый прибор и запишите в него настройки ещё раз.");
}

}  // namespace zorv
