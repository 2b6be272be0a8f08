#pragma once
// The panel's side of the command language, without any I/O: one command line
// in, the reply lines and the effects out. The bootloader knows only "VERSION?"
// and "START_MAIN"; the main firmware answers the identification commands,
// stores every "KEY=value" setting and restarts on "reset".
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "PanelAnswers.h"
#include "PanelOptions.h"

namespace zorv::emu {

class PanelLogic : public PanelAnswers {
public:
    explicit PanelLogic(const PanelOptions& options);

    PanelResponse Respond(const std::string& line) override;
    // The panel came back from a restart: main firmware, possibly a new version.
    void Restarted() override;

private:
    void AnswerBootloader(const std::string& keyword, char separator, PanelResponse& response);
    void AnswerMain(const std::string& command, const std::string& keyword, char separator,
                    PanelResponse& response);
    void AnswerLogin(const std::string& password, PanelResponse& response);
    void AnswerQuery(const std::string& keyword, PanelResponse& response) const;

    PanelOptions FOptions;
    std::set<std::string> FSilent;
    std::set<std::string> FValueError;
    bool FInBootloader;
    std::string FFirmwareVersion;
    // The settings in force (emptied by "ftdef"), by upper-cased key.
    std::map<std::string, std::string> FSettings;
};

// The text of a line without surrounding blanks and control characters.
std::string TrimCommand(const std::string& line);
// ASCII upper case; the panel's keywords are ASCII.
std::string UpperAscii(std::string text);
// Every ASCII letter in the other case.
std::string SwapCase(std::string text);

}  // namespace zorv::emu
