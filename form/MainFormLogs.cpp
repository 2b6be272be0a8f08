// Configuration file, controller log, message box and the application-wide exception handler.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "form/ZorvGSMDemoMain.h"
#include "discovery/DeviceSource.h"
#include "foundation/CommonUtils.h"
#include "foundation/ExceptionGuard.h"
#include "foundation/Exceptions.h"
#include "foundation/FilePaths.h"
#include "foundation/IniFile.h"
#include "foundation/LocalTime.h"

namespace zorv {
namespace {

void AppendControllerLogLine(const std::string& fileName, const std::string& line) {
    std::FILE* file = OpenFile(fileName, "ab");
    if (!file) file = OpenFile(fileName, "wb");
    if (!file) throw EOSError("Cannot open file \"" + PathToAnsi(fileName) + "\". " + std::strerror(errno));
    const size_t written = std::fwrite(line.data(), 1, line.size(), file);
    const bool closed = std::fclose(file) == 0;
    if (written != line.size() || !closed) throw EOSError("Cannot write file \"" + PathToAnsi(fileName) + "\".");
}

// The separator is read for every line, so a change of the user's settings applies at once.
std::string ControllerLogLine(const TLocalDateTime& Now, const char* Marker, const std::string& Text) {
    return FormatLogTimeStamp(Now, RegionalTimeSeparator()) + Marker + Text + "\r\n";
}

std::string WithoutExtension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

void TZorvGSMDemoMainForm::ReadIniFile() {
    Guarded("TZorvGSMDemoMainForm.ReadIniFile", [&] {
        const std::string value =
            PathFromAnsi(ReadPrivateProfileString(FIniFileName, "ProgrammSet", "ControllerLogFileName", ""));
        const std::string folder = ExtractFilePath(value);
        if (value.empty() || !DirectoryExists(folder)) {
            FControllerLogEnabled = false;
            FControllerLogFileName.clear();
        } else {
            FControllerLogEnabled = true;
            // The date is taken once: a run that passes midnight keeps its start day's file.
            FControllerLogFileName =
                folder + WithoutExtension(ExtractFileName(value)) + FormatCompactDate(FLoop.Now()) + ".log";
        }
        FDeviceRoot = PathFromAnsi(ReadPrivateProfileString(FIniFileName, "Linux", "DeviceRoot", "/"));
        if (FDeviceRoot.empty()) FDeviceRoot = "/";
        FDevices.SetDeviceRoot(FDeviceRoot);
    });
}

void TZorvGSMDemoMainForm::AddOutControllerLog(const std::string& Text) {
    Guarded("TZorvGSMDemoMainForm.AddOutControllerLog", [&] {
        if (!FControllerLogEnabled || Text.empty()) return;
        AppendControllerLogLine(FControllerLogFileName, ControllerLogLine(FLoop.Now(), " OUT: ", Text));
    });
}

void TZorvGSMDemoMainForm::AddInpControllerLog(const std::string& Text) {
    Guarded("TZorvGSMDemoMainForm.AddInpControllerLog", [&] {
        if (!FControllerLogEnabled || Text.empty()) return;
        AppendControllerLogLine(FControllerLogFileName, ControllerLogLine(FLoop.Now(), " IN:  ", Text));
    });
}

void TZorvGSMDemoMainForm::OnApplicationException(const std::exception& E) {
    AddExceptionLog(E, "TZorvGSMDemoMainForm.OnApplicationException");
}

void TZorvGSMDemoMainForm::ShowMessageBox(const std::string& Text, unsigned Flags) {
    Guarded("TZorvGSMDemoMainForm.ShowMessageBox", [&] { FView.MessageBox(Text, MessageBoxTitle(), Flags); });
}

void TZorvGSMDemoMainForm::TellUser(const std::string& Text) {
    FLoop.RunOnUiThread([this, Text] { ShowMessageBox(Text, kErrorMessageFlags); });
}

}  // namespace zorv
