#include <windows.h>

#include <cctype>
#include <string>
#include <vector>

#include "foundation/FilePaths.h"
#include "foundation/ProgramFilesWin32.h"
#include "foundation/WidePathsWin32.h"

namespace zorv {
namespace {

const char kProgramFolder[] = "ZorvGSMDemo";

std::string WithBackslash(const std::string& folder) {
    return folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
}

// Windows compares paths without regard to the case of letters; the installer's
// own record and the system's path of the program differ in nothing else.
bool SameFolder(const std::string& a, const std::string& b) {
    const std::string x = WithBackslash(a);
    const std::string y = WithBackslash(b);
    if (x.size() != y.size()) return false;
    for (size_t i = 0; i < x.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(x[i])) != std::tolower(static_cast<unsigned char>(y[i])))
            return false;
    return true;
}

std::string RecordedInstallFolder() {
    std::vector<wchar_t> value(32768);
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Zorv\\ZorvGSMDemo", L"InstallFolder", RRF_RT_REG_SZ, nullptr,
                     value.data(), &size) != ERROR_SUCCESS)
        return "";
    return Utf8Path(value.data());
}

// Whether a new file can be made there: in Program Files a user without
// administrator rights cannot, and an unpacked zip there has nowhere to log.
bool FolderTakesFiles(const std::string& folder) {
    const std::string probe = folder + "zorv-write-test-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    const HANDLE file = CreateFileW(WidePath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

std::string EnvironmentFolder(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return "";
    std::vector<wchar_t> value(size);
    if (GetEnvironmentVariableW(name, value.data(), size) != size - 1) return "";
    return Utf8Path(value.data());
}

}  // namespace

TProgramPlaces PlaceProgramFiles(const TWindowsFolders& Folders,
                                 const std::function<bool(const std::string&)>& FileExists) {
    const std::string programFolder = ExtractFilePath(Folders.ExecutablePath);
    const bool installed = (!Folders.InstallFolder.empty() && SameFolder(programFolder, Folders.InstallFolder)) ||
                           !Folders.ProgramFolderWritable;
    if (!installed) return {PortableProgramFiles(Folders.ExecutablePath), ""};
    TProgramPlaces places;
    const std::string userIni = WithBackslash(Folders.AppData) + kProgramFolder + "\\ZorvGSMDemo.ini";
    places.Files.IniFileName = !Folders.AppData.empty() && FileExists(userIni)
                                   ? userIni
                                   : PortableProgramFiles(Folders.ExecutablePath).IniFileName;
    // Without a local application-data folder the error log stays in the current folder.
    if (Folders.LocalAppData.empty()) {
        places.Files.ErrorLogFileName = "ErrLog.txt";
    } else {
        places.StateFolder = WithBackslash(Folders.LocalAppData) + kProgramFolder;
        places.Files.ErrorLogFileName = places.StateFolder + "\\ErrLog.txt";
    }
    return places;
}

TProgramFiles LocateProgramFiles() {
    const std::string program = GetExecutablePath();
    const TProgramPlaces places =
        PlaceProgramFiles({program, RecordedInstallFolder(), FolderTakesFiles(ExtractFilePath(program)),
                           EnvironmentFolder(L"APPDATA"), EnvironmentFolder(L"LOCALAPPDATA")},
                          FileExists);
    // A failure shows only as an error log that cannot be written, which the log bears silently.
    if (!places.StateFolder.empty()) CreateDirectoryW(WidePath(places.StateFolder).c_str(), nullptr);
    return places.Files;
}

}  // namespace zorv
