#pragma once
// The panel of a controller log: each command the program sends is answered
// with what the logged panel answered at the same point, and the panel goes
// away where the logged one did. A command that "TIME=" or "ACCOUNT=" starts
// matches by its key, as its value changes from run to run. The first command
// that departs from the log is reported, and from there on the panel answers
// as the ordinary emulated panel.
//
// Respond and Restarted belong to the serving thread; Departures may be read from any.
#include <mutex>
#include <string>
#include <vector>

#include "ControllerLogReader.h"
#include "PanelAnswers.h"
#include "PanelLogic.h"

namespace zorv::emu {

class ReplayPanel : public PanelAnswers {
public:
    // With logTiming the replies keep their logged delays, and restarts their whole time away.
    ReplayPanel(std::vector<LoggedExchange> exchanges, bool logTiming);

    PanelResponse Respond(const std::string& line) override;
    void Restarted() override;

    // "line N: the log had ..., came ...": the departures so far, and the log's next
    // command if the program never sent it.
    std::vector<std::string> Departures() const;

private:
    bool Matches(const std::string& logged, const std::string& came) const;
    PanelResponse Replayed(const LoggedExchange& exchange) const;

    const std::vector<LoggedExchange> FExchanges;
    const bool FLogTiming;
    PanelLogic FOrdinary;
    mutable std::mutex FMutex;
    std::size_t FNext = 0;
    std::vector<std::string> FDepartures;
};

}  // namespace zorv::emu
