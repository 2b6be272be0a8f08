#include <sys/stat.h>

#include <cstdlib>

#include "foundation/FilePaths.h"
#include "foundation/ProgramFilesLinux.h"

namespace zorv {
namespace {

// Where the package puts the program (cmake/Packaging.cmake), under any prefix.
const char kInstalledFolder[] = "/lib/zorvgsmdemo/";
const char kProgramFolder[] = "zorvgsmdemo";
const char kIniName[] = "ZorvGSMDemo.ini";

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The XDG variable when it holds an absolute path, else its default under the
// home folder; a relative value is to be ignored. Empty without either.
std::string BaseFolder(const std::string& value, const std::string& home, const char* fallback) {
    std::string folder = !value.empty() && value[0] == '/' ? value
                         : !home.empty() && home[0] == '/' ? home + "/" + fallback
                                                           : std::string();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Each missing folder of the path is made private to the user; a failure shows
// only as an error log that cannot be written, which the log bears silently.
void MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);
    ::mkdir(path.c_str(), 0700);
}

}  // namespace

TProgramPlaces PlaceProgramFiles(const TXdgSettings& Settings,
                                 const std::function<bool(const std::string&)>& FileExists) {
    if (!EndsWith(ExtractFilePath(Settings.ExecutablePath), kInstalledFolder))
        return {PortableProgramFiles(Settings.ExecutablePath), ""};
    TProgramPlaces places;
    const std::string config = BaseFolder(Settings.ConfigHome, Settings.Home, ".config");
    const std::string userIni = config + "/" + kProgramFolder + "/" + kIniName;
    places.Files.IniFileName =
        !config.empty() && FileExists(userIni) ? userIni : std::string("/etc/") + kProgramFolder + "/" + kIniName;
    const std::string state = BaseFolder(Settings.StateHome, Settings.Home, ".local/state");
    // Without a home folder the error log stays in the current folder.
    if (state.empty()) {
        places.Files.ErrorLogFileName = "ErrLog.txt";
    } else {
        places.StateFolder = state + "/" + kProgramFolder;
        places.Files.ErrorLogFileName = places.StateFolder + "/ErrLog.txt";
    }
    return places;
}

TProgramFiles LocateProgramFiles() {
    const TProgramPlaces places = PlaceProgramFiles(
        {GetExecutablePath(), Environment("HOME"), Environment("XDG_CONFIG_HOME"), Environment("XDG_STATE_HOME")},
        FileExists);
    if (!places.StateFolder.empty()) MakeFolders(places.StateFolder);
    return places.Files;
}

}  // namespace zorv
