#pragma once
// The panel of a controller log: each command the program sends is answered
// with what the logged panel answered at the same point, and the panel goes
// away where the logged one did. A command that "TIME=" or "ACCOUNT=" starts
// matches by its key, as its value changes from run to run. The first command
// that departs from the log is reported, and from there on the panel answers
// as the ordinary emulated panel.
//
// Respond and Restarted belong to the serving thread; Departures and Unreached may be read from any.
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ControllerLogReader.h"
#include "PanelAnswers.h"
#include "PanelLogic.h"

namespace zorv::emu {

class ReplayPanel : public PanelAnswers {
public:
    // Told each departure on the serving thread as it happens, so a person watching sees where.
    using DepartureReport = std::function<void(const std::string& departure)>;

    // With logTiming the replies keep their logged delays, and restarts their whole time away.
    ReplayPanel(std::vector<LoggedExchange> exchanges, bool logTiming, DepartureReport report = nullptr);

    PanelResponse Respond(const std::string& line) override;
    void Restarted() override;

    // "line N: the log had ..., came ...": the departures so far, and the log's next
    // command if the program never sent it.
    std::vector<std::string> Departures() const;
    // "line N: the log had ..., nothing came": the log's next command while the program has
    // neither sent it nor departed; known as a departure only when the run is over.
    std::optional<std::string> Unreached() const;

private:
    bool Matches(const std::string& logged, const std::string& came) const;
    PanelResponse Replayed(const LoggedExchange& exchange) const;
    // The departure this command makes, or an empty text when it is the log's next; under FMutex.
    std::string Departure(const std::string& command) const;
    std::optional<std::string> UnreachedLocked() const;

    const std::vector<LoggedExchange> FExchanges;
    const bool FLogTiming;
    const DepartureReport FReport;
    PanelLogic FOrdinary;
    mutable std::mutex FMutex;
    std::size_t FNext = 0;
    std::vector<std::string> FDepartures;
};

}  // namespace zorv::emu
