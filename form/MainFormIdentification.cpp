// Identification of the panel: firmware family and build, login with the
// default password, and the serial number that gives the object number.
#include <string>

#include "form/ZorvGSMDemoMain.h"
#include "dialogue/PanelCommands.h"
#include "dialogue/PanelReplies.h"
#include "foundation/CommonUtils.h"
#include "foundation/ExceptionGuard.h"

namespace zorv {
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
        FCurrentCommand = LoginCommand();
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

void TZorvGSMDemoMainForm::AcceptLogin(const TReply& Reply) {
    if (Reply.Kind == TReplyKind::WrongPassword) return StartWrongPasswordTimer();
    // Firmware without login answers UNKNOWN_COMMAND; the serial number is read either way.
    FPasswordRequired = Reply.Kind == TReplyKind::LoginAccepted;
    FCurrentCommand = kSerialNumberCommand;
    SendCommand(FCurrentCommand);
}

void TZorvGSMDemoMainForm::AcceptSerialNumber(const TReply& Reply) {
    if (FWriteSerialAsked) return AcceptWriteSerialNumber(Reply);
    // "NOT SET" leaves the number as it was; a value that is no number clears it.
    if (Reply.Kind != TReplyKind::SerialNotSet) {
        FSerialNumber = -1;
        if (Reply.Kind == TReplyKind::SerialNumber) {
            FSerialNumber = Reply.SerialNumber;
            FObjectNumber = static_cast<int32_t>(static_cast<uint32_t>(Reply.SerialNumber) % kObjectNumberModulus);
            FState = psConnected;
        }
    }
    ShowCurrentState();
}

}  // namespace zorv
