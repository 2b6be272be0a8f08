#include <windows.h>

#include "foundation/VersionInfo.h"

namespace zorv {

bool ReadFileVersionInfo(const std::string& FileName, std::string& block) {
    block.clear();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(FileName.c_str(), &handle);
    if (size == 0) return false;
    block.assign(size, '\0');
    if (!GetFileVersionInfoA(FileName.c_str(), 0, size, &block[0])) {
        block.clear();
        return false;
    }
    return true;
}

bool QueryVersionTranslations(const std::string& block, std::vector<std::pair<uint16_t, uint16_t>>& pairs) {
    void* table = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &table, &length) || !table) return false;
    const auto* words = static_cast<const WORD*>(table);
    pairs.clear();
    for (UINT i = 0; i < length / 4; ++i) pairs.emplace_back(words[2 * i], words[2 * i + 1]);
    return true;
}

bool QueryVersionString(const std::string& block, const std::string& subBlock, std::string& value) {
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), subBlock.c_str(), &text, &length) || !text) return false;
    value.assign(static_cast<const char*>(text));
    return true;
}

}  // namespace zorv
