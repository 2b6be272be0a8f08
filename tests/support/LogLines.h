#pragma once
// The lines of the program's logs and of what a port was sent: each ends in CR LF.
#include <cstddef>
#include <string>
#include <vector>

namespace zorv::test {

// Every line without its CR LF; a last line that has none yet is one too.
std::vector<std::string> CrLfLines(const std::string& text);

// How many times part stands in text (the lines of a log that hold it, for a part no line holds twice).
size_t CountOf(const std::string& text, const std::string& part);

// The panel's replies that a controller log holds, in order.
std::vector<std::string> LoggedReplies(const std::string& controllerLog);

// The lines the program sent that a controller log holds, in order; "TIME=" with any value is
// "TIME=<clock>", so that two runs of one road compare equal.
std::vector<std::string> LoggedCommands(const std::string& controllerLog);

}  // namespace zorv::test
