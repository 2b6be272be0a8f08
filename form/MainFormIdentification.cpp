// Identification of the panel: firmware family and build, login with the
// default password, and the serial number that gives the object number.
#include <string>

#include "form/ZorvGSMDemoMain.h"
#include "foundation/CommonUtils.h"
#include "foundation/Cp1251.h"
#include "foundation/ExceptionGuard.h"

namespace zorv {

const char kDefaultPassword[] = "7653";

namespace {

constexpr char kMinimumBuild[] = "5.1.10.6";
constexpr unsigned kLoginDelayMs = 100;
constexpr uint32_t kObjectNumberModulus = 10000;

}  // namespace

void TZorvGSMDemoMainForm::CheckConnectedDevice() {
    Guarded("TZorvGSMDemoMainForm.CheckConnectedDevice", [&] {
        // Another hardware family is treated like no panel at all.
        if (!CheckHardVersion("5.1", FFirmwareVersion) && !CheckHardVersion("5.2", FFirmwareVersion)) {
            FState = psWaitConnect;
            return;
        }
        const int32_t build = CompareBuildVersion(kMinimumBuild, FFirmwareVersion);
        if (build == kBuildSame || build == kBuildLater) {
            StartOneShotTimer(FConnectionTimers, kLoginDelayMs, &TZorvGSMDemoMainForm::OnAskPasswordTimer);
        } else {
            FState = psWrongVersion;
        }
    });
}

void TZorvGSMDemoMainForm::OnAskPasswordTimer(ITimer* Sender) {
    Guarded("TZorvGSMDemoMainForm.OnAskPasswordTimer", [&] {
        ReleaseOneShotTimer(FConnectionTimers, Sender);
        FCurrentCommand = std::string("AUTH=") + kDefaultPassword;
        SendCommand(FCurrentCommand);
    });
}

void TZorvGSMDemoMainForm::StartWrongPasswordTimer() {
    Guarded("TZorvGSMDemoMainForm.StartWrongPasswordTimer",
            [&] { StartOneShotTimer(FConnectionTimers, kLoginDelayMs, &TZorvGSMDemoMainForm::OnWrongPasswordTimer); });
}

void TZorvGSMDemoMainForm::OnWrongPasswordTimer(ITimer* Sender) {
    Guarded("TZorvGSMDemoMainForm.OnWrongPasswordTimer", [&] {
        ReleaseOneShotTimer(FConnectionTimers, Sender);
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
    if (FWriteSerialAsked) return AcceptWriteSerialNumber(value);
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
