#include <windows.h>

#include "foundation/Cp1251.h"
#include "foundation/VersionInfo.h"
#include "foundation/WidePathsWin32.h"

namespace zorv {

// The block is read and queried through the wide calls: the file's name may hold
// any character, and the strings come out the same whatever the system code page.
bool ReadFileVersionInfo(const std::string& FileName, std::string& block) {
    block.clear();
    const std::wstring name = WidePath(FileName);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(name.c_str(), &handle);
    if (size == 0) return false;
    block.assign(size, '\0');
    if (!GetFileVersionInfoW(name.c_str(), 0, size, &block[0])) {
        block.clear();
        return false;
    }
    return true;
}

bool QueryVersionTranslations(const std::string& block, std::vector<std::pair<uint16_t, uint16_t>>& pairs) {
    void* table = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &table, &length) || !table) return false;
    const auto* words = static_cast<const WORD*>(table);
    pairs.clear();
    for (UINT i = 0; i < length / 4; ++i) pairs.emplace_back(words[2 * i], words[2 * i + 1]);
    return true;
}

bool QueryVersionString(const std::string& block, const std::string& subBlock, std::string& value) {
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), WidePath(subBlock).c_str(), &text, &length) || !text) return false;
    value = Utf8ToCp1251(Utf8Path(static_cast<const wchar_t*>(text)));
    return true;
}

}  // namespace zorv
