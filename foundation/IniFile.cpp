#include "foundation/IniFile.h"

#include <cstdio>

#include "foundation/Cp1251.h"
#include "foundation/FilePaths.h"
#include "foundation/TextUtils.h"

namespace zorv {
namespace {

// Blanks and tabs only: an INI value may legitimately end in other bytes.
std::string TrimBlanks(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    const size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

std::string Unquote(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The service reads a file that begins with a byte-order mark as Unicode, and
// hands its values over in the program's code page.
std::string IniText(const std::string& bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return Utf8ToCp1251(bytes.substr(3));
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) return Utf16LeToCp1251(bytes.substr(2));
    return bytes;
}

}  // namespace

std::string ReadIniValue(const std::string& content, const std::string& section, const std::string& key,
                         const std::string& defaultValue) {
    const std::string wantedSection = AnsiUpperCase(TrimBlanks(section));
    const std::string wantedKey = AnsiUpperCase(TrimBlanks(key));
    bool inSection = false;
    for (const std::string& raw : SplitLines(content)) {
        const std::string line = TrimBlanks(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            inSection = close != std::string::npos &&
                        AnsiUpperCase(TrimBlanks(line.substr(1, close - 1))) == wantedSection;
            continue;
        }
        if (!inSection) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (AnsiUpperCase(TrimBlanks(line.substr(0, eq))) == wantedKey)
            return Unquote(TrimBlanks(line.substr(eq + 1)));
    }
    return defaultValue;
}

std::string ReadPrivateProfileString(const std::string& fileName, const std::string& section,
                                     const std::string& key, const std::string& defaultValue) {
    std::FILE* file = OpenFile(fileName, "rb");
    if (!file) return defaultValue;
    std::string content;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
    std::fclose(file);
    return ReadIniValue(IniText(content), section, key, defaultValue);
}

}  // namespace zorv
