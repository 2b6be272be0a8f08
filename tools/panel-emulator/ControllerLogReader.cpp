#include "ControllerLogReader.h"

#include <algorithm>

#include "PanelLogic.h"

namespace zorv::emu {

namespace {

using std::chrono::milliseconds;

// A "VERSION?" this long after the line before it, or after a command left unanswered, is a new
// connection: the panel was away.
const milliseconds kNewConnectionGap{1000};
// The longest separator a user's regional settings allow.
const std::size_t kMaxSeparator = 4;

struct LogLine {
    std::size_t Number = 0;
    long long Time = 0;  // milliseconds since 1970-01-01
    bool FromProgram = false;
    std::string Text;
};

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, long long m, long long d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

class LineParser {
public:
    explicit LineParser(std::string_view text) : FText(text) {}

    bool Number(std::size_t digits, long long max, long long& value) {
        if (FText.size() - FAt < digits) return false;
        value = 0;
        for (std::size_t i = 0; i < digits; ++i) {
            const char c = FText[FAt + i];
            if (c < '0' || c > '9') return false;
            value = value * 10 + (c - '0');
        }
        FAt += digits;
        return value <= max;
    }
    bool Literal(std::string_view literal) {
        if (FText.substr(FAt, literal.size()) != literal) return false;
        FAt += literal.size();
        return true;
    }
    // The regional time separator: whatever stands before the next digit.
    bool Separator(std::string& separator) {
        std::size_t end = FAt;
        while (end < FText.size() && end - FAt <= kMaxSeparator && (FText[end] < '0' || FText[end] > '9')) ++end;
        if (end == FAt || end - FAt > kMaxSeparator) return false;
        separator = std::string(FText.substr(FAt, end - FAt));
        FAt = end;
        return true;
    }
    std::string_view Rest() const { return FText.substr(FAt); }

private:
    std::string_view FText;
    std::size_t FAt = 0;
};

// The error, or empty when the line was understood.
std::string ParseLine(std::string_view text, LogLine& line) {
    LineParser p(text);
    long long year, month, day, hour, minute, second, millisecond;
    std::string separator, secondSeparator;
    if (!(p.Number(4, 9999, year) && p.Literal("-") && p.Number(2, 12, month) && p.Literal("-") &&
          p.Number(2, 31, day) && p.Literal(" ") && p.Number(2, 23, hour) && p.Separator(separator) &&
          p.Number(2, 59, minute) && p.Separator(secondSeparator) && separator == secondSeparator &&
          p.Number(2, 59, second) && p.Literal(".") && p.Number(3, 999, millisecond)) ||
        month == 0 || day == 0)
        return "no time stamp \"yyyy-mm-dd hh:mm:ss.zzz\" at its start";
    if (p.Literal(" OUT: "))
        line.FromProgram = true;
    else if (!p.Literal(" IN:  "))
        return "neither \" OUT: \" nor \" IN:  \" after the time stamp";
    line.Text = std::string(p.Rest());
    // The program logs no empty lines, and the panel is never sent a blank command.
    if (line.FromProgram && TrimCommand(line.Text).empty()) return "an empty command after the marker";
    if (line.Text.empty()) return "an empty reply after the marker";
    line.Time = ((DaysFromCivil(year, month, day) * 24 + hour) * 60 + minute) * 60000 + second * 1000 + millisecond;
    return {};
}

bool Restarts(const std::string& command) {
    const std::string trimmed = UpperAscii(TrimCommand(command));
    return trimmed == "RESET" || trimmed == "START_MAIN";
}

// Marks where the panel went away, from the time between an exchange's last line and the next command.
void MarkRestarts(std::vector<LoggedExchange>& exchanges, const std::vector<long long>& lastTimes,
                  const std::vector<long long>& commandTimes) {
    for (std::size_t i = 0; i + 1 < exchanges.size(); ++i) {
        const milliseconds gap(commandTimes[i + 1] - lastTimes[i]);
        const bool newConnection = TrimCommand(exchanges[i + 1].Command) == "VERSION?" &&
                                   (gap >= kNewConnectionGap || exchanges[i].Replies.empty());
        if (Restarts(exchanges[i].Command) || newConnection) exchanges[i].AwayFor = std::max(gap, milliseconds(0));
    }
    if (!exchanges.empty() && Restarts(exchanges.back().Command)) exchanges.back().AwayFor = milliseconds(0);
}

}  // namespace

std::string CommandKeyword(const std::string& command) {
    const std::string trimmed = TrimCommand(command);
    const auto query = trimmed.find('?');
    return UpperAscii(TrimCommand(trimmed.substr(0, query != std::string::npos ? query : trimmed.find('='))));
}

ControllerLogReading ReadControllerLog(std::string_view bytes) {
    ControllerLogReading reading;
    std::vector<long long> commandTimes;
    std::vector<long long> lastTimes;
    std::size_t number = 0;
    while (!bytes.empty()) {
        const auto end = bytes.find('\n');
        std::string_view text = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        ++number;
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.empty()) continue;
        LogLine line;
        std::string error = ParseLine(text, line);
        if (error.empty() && !line.FromProgram && reading.Exchanges.empty()) error = "a reply before any command";
        if (!error.empty()) return {{}, "line " + std::to_string(number) + ": " + error};
        if (line.FromProgram) {
            reading.Exchanges.push_back({number, line.Text, {}, {}});
            commandTimes.push_back(line.Time);
        } else {
            // A clock set back while logging gives no negative delays.
            const long long after = std::max(0LL, line.Time - commandTimes.back());
            reading.Exchanges.back().Replies.push_back({line.Text, milliseconds(after)});
        }
        if (line.FromProgram)
            lastTimes.push_back(line.Time);
        else
            lastTimes.back() = line.Time;
    }
    MarkRestarts(reading.Exchanges, lastTimes, commandTimes);
    return reading;
}

}  // namespace zorv::emu
