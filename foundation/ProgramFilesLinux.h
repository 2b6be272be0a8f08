#pragma once
// Where the Linux program's files are, from its path and the user's XDG base
// directories: a program in <prefix>/lib/zorvgsmdemo/ was installed by the
// package, any other is portable.
#include <functional>
#include <string>

#include "foundation/ProgramFiles.h"

namespace zorv {

// The values as the environment holds them; empty when unset.
struct TXdgSettings {
    std::string ExecutablePath;
    std::string Home;
    std::string ConfigHome;
    std::string StateHome;
};

// An installed program reads the user's INI when FileExists finds it, else the
// system's in /etc/zorvgsmdemo/.
TProgramPlaces PlaceProgramFiles(const TXdgSettings& Settings,
                                 const std::function<bool(const std::string&)>& FileExists);

}  // namespace zorv
