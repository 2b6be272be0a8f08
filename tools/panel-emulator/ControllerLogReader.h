#pragma once
// Reads the program's controller log back into the dialogue it records. Every
// line is "yyyy-mm-dd hh:mm:ss.zzz" (the colons being the user's regional time
// separator, whatever it is), then " OUT: " and a line the program sent or
// " IN:  " and a line the panel answered. The text is kept as bytes
// (Windows-1251), so the panel's replies go back exactly as they came.
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorv::emu {

struct LoggedReply {
    std::string Text;
    std::chrono::milliseconds After{0};  // since the command
};

// One command the program sent and what the panel answered to it.
struct LoggedExchange {
    std::size_t LineNumber = 0;  // of the command, counted from 1
    std::string Command;
    std::vector<LoggedReply> Replies;
    // The panel went away after this exchange (its restart, or an unplug the log shows as a
    // new "VERSION?" after a gap or after an unanswered command) and came back after this long.
    std::optional<std::chrono::milliseconds> AwayFor;
};

struct ControllerLogReading {
    std::vector<LoggedExchange> Exchanges;
    std::string Error;  // "line N: ..." when the log was refused; then there are no exchanges
};

ControllerLogReading ReadControllerLog(std::string_view bytes);

// The keyword of a command: the text before "?" or "=", trimmed and upper-cased.
std::string CommandKeyword(const std::string& command);

}  // namespace zorv::emu
