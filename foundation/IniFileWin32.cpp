#include <windows.h>

#include <vector>

#include "foundation/IniFile.h"

namespace zorv {

std::string ReadPrivateProfileString(const std::string& fileName, const std::string& section,
                                     const std::string& key, const std::string& defaultValue) {
    // The service cuts a value to the buffer; grow until it fits.
    std::vector<char> buffer(2048);
    for (;;) {
        const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), fileName.c_str());
        if (n + 1 < buffer.size() || buffer.size() >= (1u << 24)) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 4);
    }
}

}  // namespace zorv
