#pragma once
// Version information of an executable file, read the way the version API
// of Windows reads a VERSIONINFO resource.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zorv {

// The raw version information of FileName; false (block empty) when it has none (platform file).
bool ReadFileVersionInfo(const std::string& FileName, std::string& block);

// The "\VarFileInfo\Translation" pairs (language, code page) of a block (platform file).
bool QueryVersionTranslations(const std::string& block, std::vector<std::pair<uint16_t, uint16_t>>& pairs);

// A string value such as "StringFileInfo\041904E3\FileVersion", in Windows-1251 (platform file).
bool QueryVersionString(const std::string& block, const std::string& subBlock, std::string& value);

}  // namespace zorv
