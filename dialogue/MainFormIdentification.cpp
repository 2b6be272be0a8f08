// Identification of the panel: firmware family and build, login with the
// default password, and the serial number that gives the object number.
#include <algorithm>
#include <string>

#include "app/ZorvGSMDemoMain.h"
#include "foundation/CommonUtils.h"
#include "foundation/Cp1251.h"
#include "foundation/ExceptionGuard.h"

namespace zorv {
namespace {

constexpr char kMinimumBuild[] = "5.1.10.6";
constexpr unsigned kLoginDelayMs = 100;
constexpr uint32_t kObjectNumberModulus = 10000;

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

}  // namespace

void TZorvGSMDemoMainForm::StartConnectionTimer(unsigned IntervalMs, void (TZorvGSMDemoMainForm::*Handler)(ITimer*)) {
    FConnectionTimers.push_back(
        FLoop.CreateTimer(IntervalMs, [this, Handler](ITimer* sender) { (this->*Handler)(sender); }, true));
}

void TZorvGSMDemoMainForm::ReleaseConnectionTimer(ITimer* Sender) {
    auto it = std::find_if(FConnectionTimers.begin(), FConnectionTimers.end(),
                           [Sender](const std::unique_ptr<ITimer>& t) { return t.get() == Sender; });
    if (it != FConnectionTimers.end()) FConnectionTimers.erase(it);
}

void TZorvGSMDemoMainForm::CheckConnectedDevice() {
    Guarded("TZorvGSMDemoMainForm.CheckConnectedDevice", [&] {
        // Another hardware family is treated like no panel at all.
        if (!CheckHardVersion("5.1", FFirmwareVersion) && !CheckHardVersion("5.2", FFirmwareVersion)) {
            FState = psWaitConnect;
            return;
        }
        const int32_t build = CompareBuildVersion(kMinimumBuild, FFirmwareVersion);
        if (build == kBuildSame || build == kBuildLater) {
            StartConnectionTimer(kLoginDelayMs, &TZorvGSMDemoMainForm::OnAskPasswordTimer);
        } else {
            FState = psWrongVersion;
        }
    });
}

void TZorvGSMDemoMainForm::OnAskPasswordTimer(ITimer* Sender) {
    Guarded("TZorvGSMDemoMainForm.OnAskPasswordTimer", [&] {
        ReleaseConnectionTimer(Sender);
        FCurrentCommand = std::string("AUTH=") + kDefaultPassword;
        SendCommand(FCurrentCommand);
    });
}

void TZorvGSMDemoMainForm::StartWrongPasswordTimer() {
    Guarded("TZorvGSMDemoMainForm.StartWrongPasswordTimer",
            [&] { StartConnectionTimer(kLoginDelayMs, &TZorvGSMDemoMainForm::OnWrongPasswordTimer); });
}

void TZorvGSMDemoMainForm::OnWrongPasswordTimer(ITimer* Sender) {
    Guarded("TZorvGSMDemoMainForm.OnWrongPasswordTimer", [&] {
        ReleaseConnectionTimer(Sender);
        ShowMessageBox(WrongPasswordMessage(), kErrorMessageFlags);
    });
}

void TZorvGSMDemoMainForm::AcceptLogin(const std::string& Line) {
    if (Line == "OK" || Line == "UNKNOWN_COMMAND") {
        // Firmware without login answers UNKNOWN_COMMAND; the serial number is read either way.
        FPasswordRequired = Line == "OK";
        FCurrentCommand = "KVELT_SN?";
        SendCommand(FCurrentCommand);
    } else if (AnsiUpperCase(Line).find("WRONG PASSWORD") != std::string::npos) {
        StartWrongPasswordTimer();
    }
}

void TZorvGSMDemoMainForm::AcceptSerialNumber(const std::string& Line) {
    static const std::string kKey = "KVELT_SN=";
    const std::string value = Line.substr(Line.find(kKey) + kKey.size());
    if (value != "NOT SET") {
        FSerialNumber = -1;
        int32_t number = 0;
        if (TryStrToInt(value, number)) {
            FSerialNumber = number;
            FObjectNumber = static_cast<int32_t>(static_cast<uint32_t>(number) % kObjectNumberModulus);
            FState = psConnected;
        }
    }
    ShowCurrentState();
}

}  // namespace zorv
