#include "frontends/win32/Win32Text.h"

#include <windows.h>

namespace zorv {

std::wstring ToWide(const std::string& cp1251) {
    if (cp1251.empty()) return std::wstring();
    const int size = static_cast<int>(cp1251.size());
    // Windows-1251 maps every byte to exactly one UTF-16 unit.
    std::wstring wide(cp1251.size(), L'\0');
    const int n = MultiByteToWideChar(1251, 0, cp1251.data(), size, &wide[0], size);
    wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return wide;
}

}  // namespace zorv
