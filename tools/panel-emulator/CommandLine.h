#pragma once
// The options of zorv-panel-emulator, which mirror PanelOptions.
#include <string>
#include <vector>

#include "PanelOptions.h"

namespace zorv::emu {

struct CommandLine {
    PanelOptions Options;
    // --replay: the controller log whose panel is played instead of the options' panel.
    std::string ReplayFile;
    bool LogTiming = false;  // --timing log
    bool Strict = false;     // --strict: a departure from the log fails the run
    bool Help = false;
    std::string Error;  // empty when the arguments were understood
};

// The arguments without the program name; both "--name value" and "--name=value" are accepted.
CommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();

}  // namespace zorv::emu
