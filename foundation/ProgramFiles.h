#pragma once
// Where the program reads its configuration file and writes its error log.
#include <string>

namespace zorv {

struct TProgramFiles {
    std::string IniFileName;
    std::string ErrorLogFileName;
};

struct TProgramPlaces {
    TProgramFiles Files;
    // The folder the error log goes into, to be made when missing; empty for a portable program.
    std::string StateFolder;
};

// A program run from a build or an unpacked folder keeps its files where it
// always did: the INI beside the executable, the error log in the current folder.
TProgramFiles PortableProgramFiles(const std::string& ExecutablePath);

// The running program's files (platform file). The program installed by its
// package keeps them in the user's folders, and makes its log's folder when it
// is missing.
TProgramFiles LocateProgramFiles();

}  // namespace zorv
