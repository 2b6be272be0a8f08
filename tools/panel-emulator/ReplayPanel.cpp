#include "ReplayPanel.h"

#include <algorithm>

namespace zorv::emu {

namespace {

// A user's pause between two sessions is not the panel's: without log timing the panel is back soon.
const std::chrono::milliseconds kLongestAway{3000};

bool VariesByRun(const std::string& keyword) { return keyword == "TIME" || keyword == "ACCOUNT"; }

}  // namespace

ReplayPanel::ReplayPanel(std::vector<LoggedExchange> exchanges, bool logTiming)
    : FExchanges(std::move(exchanges)), FLogTiming(logTiming), FOrdinary(PanelOptions()) {}

PanelResponse ReplayPanel::Respond(const std::string& line) {
    const std::string command = TrimCommand(line);
    if (command.empty()) return {};
    std::lock_guard<std::mutex> lock(FMutex);
    if (!FDepartures.empty()) return FOrdinary.Respond(line);
    if (FNext == FExchanges.size()) {
        FDepartures.push_back("after the log's end: came \"" + command + "\"");
        return FOrdinary.Respond(line);
    }
    const LoggedExchange& exchange = FExchanges[FNext];
    if (!Matches(exchange.Command, command)) {
        FDepartures.push_back("line " + std::to_string(exchange.LineNumber) + ": the log had \"" +
                              exchange.Command + "\", came \"" + command + "\"");
        return FOrdinary.Respond(line);
    }
    ++FNext;
    return Replayed(exchange);
}

void ReplayPanel::Restarted() {
    std::lock_guard<std::mutex> lock(FMutex);
    FOrdinary.Restarted();
}

std::vector<std::string> ReplayPanel::Departures() const {
    std::lock_guard<std::mutex> lock(FMutex);
    std::vector<std::string> departures = FDepartures;
    if (departures.empty() && FNext < FExchanges.size())
        departures.push_back("line " + std::to_string(FExchanges[FNext].LineNumber) + ": the log had \"" +
                             FExchanges[FNext].Command + "\", nothing came");
    return departures;
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
