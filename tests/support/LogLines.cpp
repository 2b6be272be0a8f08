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

std::vector<std::string> LoggedReplies(const std::string& controllerLog) {
    static const std::string kMarker = " IN:  ";
    std::vector<std::string> replies;
    for (const std::string& line : CrLfLines(controllerLog)) {
        const size_t marker = line.find(kMarker);
        if (marker != std::string::npos) replies.push_back(line.substr(marker + kMarker.size()));
    }
    return replies;
}

}  // namespace zorv::test
