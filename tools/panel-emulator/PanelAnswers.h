#pragma once
// What the panel answers to one command line, without any I/O: the emulated
// panel of the options (PanelLogic) or the panel of a controller log (ReplayPanel).
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace zorv::emu {

struct PanelSetting {
    std::string Key;
    std::string Value;
};

struct PanelResponse {
    std::vector<std::string> Lines;  // without line ends
    // The wait before each line, counted from the command; empty answers at once.
    std::vector<std::chrono::milliseconds> LineTimes;
    std::optional<PanelSetting> Stored;
    bool Restart = false;
    // How long a restart stays away; empty keeps the options' restart delay.
    std::optional<std::chrono::milliseconds> AwayFor;
};

class PanelAnswers {
public:
    virtual ~PanelAnswers() = default;
    virtual PanelResponse Respond(const std::string& line) = 0;
    // The panel came back from a restart.
    virtual void Restarted() = 0;
};

}  // namespace zorv::emu
