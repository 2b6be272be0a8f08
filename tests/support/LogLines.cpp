#include "LogLines.h"

namespace zorv::test {

std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

namespace {

std::vector<std::string> Logged(const std::string& controllerLog, const std::string& marker) {
    std::vector<std::string> lines;
    for (const std::string& line : CrLfLines(controllerLog)) {
        const size_t at = line.find(marker);
        if (at != std::string::npos) lines.push_back(line.substr(at + marker.size()));
    }
    return lines;
}

}  // namespace

std::vector<std::string> LoggedReplies(const std::string& controllerLog) { return Logged(controllerLog, " IN:  "); }

std::vector<std::string> LoggedCommands(const std::string& controllerLog) {
    std::vector<std::string> commands = Logged(controllerLog, " OUT: ");
    for (std::string& command : commands)
        if (command.rfind("TIME=", 0) == 0) command = "TIME=<clock>";
    return commands;
}

}  // namespace zorv::test
