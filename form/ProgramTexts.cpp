#include "form/ProgramTexts.h"

#include <string>

#include "foundation/Cp1251.h"

namespace zorv {

std::string MessageBoxTitle() { return Ansi("Зорв GSM: демонстрация работы."); }

std::string DesignCaption() { return Ansi("Зорв GSM: демонстрация работы. Версия"); }

std::string NoStartCommandsMessage() { return Ansi("Нет комманд для запуска демо режима"); }

// The maker's company and support site named in the protected-panel message.
constexpr char kCompanyName[] = "ООО \"Зорв\"";
constexpr char kSupportHost[] = "support.zorv.net";

std::string WrongPasswordMessage() {
    return Ansi("Прибор, подключенный к компьютеру, защищен паролем.") + "\r\n" +
           Ansi("Для использования прибора в демонстрационных целях необходимо выполнить сброс настроек "
                "прибора в заводские значения.") +
           "\r\n" +
           Ansi("Сброс настроек в заводские значения осуществляется с помощью конфигуратора Velmor, который "
                "можно загрузить с сайта технической поддержки") +
           " " + Ansi(kCompanyName) + " (" + kSupportHost + ")";
}

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

std::string WriteInterruptedLogLine(const std::string& WriteName, const std::string& Command) {
    return "TZorvGSMDemoMainForm.EndConnection: " + WriteName + " settings write interrupted at \"" + Command +
           "\": the connection ended before \"reset\"";
}

std::string WriteUnansweredLogLine(const std::string& WriteName) {
    return "TZorvGSMDemoMainForm.HandshakeLine: " + WriteName +
           " settings write not taken: a command had no answer within 60000 ms";
}

std::string OtherPanelLogLine(const std::string& WriteName, int32_t WrittenSerial, int32_t AnsweredSerial) {
    return "TZorvGSMDemoMainForm.AcceptSerialNumber: " + WriteName +
           " settings write not completed: the panel with serial number " + std::to_string(AnsweredSerial) +
           " answered after the restart, not " + std::to_string(WrittenSerial);
}

std::string PortFailureLogLine(const char* Operation, int32_t PortNumber, const std::string& DevicePath,
                               const std::string& SystemText) {
    return std::string("TZorvGSMDemoMainForm.") + Operation + ": COM" + std::to_string(PortNumber) + " (" +
           DevicePath + ") cannot be opened: " + SystemText;
}

std::string PortSetupFailedLogLine() { return "TZorvGSMDemoMainForm.SetPortDefault: Initialization of CommDrv failed"; }

}  // namespace zorv
