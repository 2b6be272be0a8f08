#pragma once
// Where the Windows program's files are. Installed by its MSI (it runs from the
// folder that the installer recorded) or run from a folder it may not write
// into, it keeps them in the user's folders; an unpacked zip keeps them where
// it always did.
#include <functional>
#include <string>

#include "foundation/ProgramFiles.h"

namespace zorv {

struct TWindowsFolders {
    std::string ExecutablePath;
    // The folder the installer recorded; empty when the program was never installed.
    std::string InstallFolder;
    bool ProgramFolderWritable = true;
    // %APPDATA% and %LOCALAPPDATA%; empty when unset.
    std::string AppData;
    std::string LocalAppData;
};

// An installed program reads %APPDATA%\ZorvGSMDemo\ZorvGSMDemo.ini when FileExists
// finds it, else the INI beside itself, and logs into %LOCALAPPDATA%\ZorvGSMDemo\.
TProgramPlaces PlaceProgramFiles(const TWindowsFolders& Folders,
                                 const std::function<bool(const std::string&)>& FileExists);

}  // namespace zorv
