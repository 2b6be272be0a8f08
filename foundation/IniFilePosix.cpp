#include <fstream>
#include <sstream>

#include "foundation/IniFile.h"

namespace zorv {

std::string ReadPrivateProfileString(const std::string& fileName, const std::string& section,
                                     const std::string& key, const std::string& defaultValue) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file) return defaultValue;
    std::ostringstream content;
    content << file.rdbuf();
    return ReadIniValue(content.str(), section, key, defaultValue);
}

}  // namespace zorv
