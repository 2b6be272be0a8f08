#include "ReplayPanel.h"

#include <algorithm>

namespace zorv::emu {

namespace {

// A user's pause between two sessions is not the panel's: without log timing the panel is back soon.
const std::chrono::milliseconds kLongestAway{3000};

bool VariesByRun(const std::string& keyword) { return keyword == "TIME" || keyword == "ACCOUNT"; }

}  // namespace

ReplayPanel::ReplayPanel(std::vector<LoggedExchange> exchanges, bool logTiming, DepartureReport report)
    : FExchanges(std::move(exchanges)), FLogTiming(logTiming), FReport(std::move(report)), FOrdinary(PanelOptions()) {}

PanelResponse ReplayPanel::Respond(const std::string& line) {
    const std::string command = TrimCommand(line);
    if (command.empty()) return {};
    std::string departure;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        if (FDepartures.empty()) {
            departure = Departure(command);
            if (departure.empty()) return Replayed(FExchanges[FNext++]);
            FDepartures.push_back(departure);
        }
    }
    if (!departure.empty() && FReport) FReport(departure);
    return FOrdinary.Respond(line);
}

std::string ReplayPanel::Departure(const std::string& command) const {
    if (FNext == FExchanges.size()) return "after the log's end: came \"" + command + "\"";
    const LoggedExchange& exchange = FExchanges[FNext];
    if (Matches(exchange.Command, command)) return "";
    return "line " + std::to_string(exchange.LineNumber) + ": the log had \"" + exchange.Command + "\", came \"" +
           command + "\"";
}

void ReplayPanel::Restarted() { FOrdinary.Restarted(); }

std::vector<std::string> ReplayPanel::Departures() const {
    std::lock_guard<std::mutex> lock(FMutex);
    std::vector<std::string> departures = FDepartures;
    if (const auto unreached = UnreachedLocked()) departures.push_back(*unreached);
    return departures;
}

std::optional<std::string> ReplayPanel::Unreached() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return UnreachedLocked();
}

std::optional<std::string> ReplayPanel::UnreachedLocked() const {
    if (!FDepartures.empty() || FNext == FExchanges.size()) return std::nullopt;
    return "line " + std::to_string(FExchanges[FNext].LineNumber) + ": the log had \"" + FExchanges[FNext].Command +
           "\", nothing came";
}

bool ReplayPanel::Matches(const std::string& logged, const std::string& came) const {
    if (TrimCommand(logged) == came) return true;
    const std::string keyword = CommandKeyword(came);
    return VariesByRun(keyword) && came.find('=') != std::string::npos && CommandKeyword(logged) == keyword &&
           TrimCommand(logged).find('=') != std::string::npos;
}

PanelResponse ReplayPanel::Replayed(const LoggedExchange& exchange) const {
    PanelResponse response;
    for (const auto& reply : exchange.Replies) {
        response.Lines.push_back(reply.Text);
        if (FLogTiming) response.LineTimes.push_back(reply.After);
    }
    if (exchange.AwayFor) {
        response.Restart = true;
        response.AwayFor = FLogTiming ? *exchange.AwayFor : std::min(*exchange.AwayFor, kLongestAway);
    }
    return response;
}

}  // namespace zorv::emu
