// The INI reader over arbitrary file content: first byte picks the key asked for.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const char* const kKeys[] = {"ControllerLogFileName", "DeviceRoot", "", "=", "[x]"};
    const std::string content(reinterpret_cast<const char*>(data + 1), size - 1);
    const char* key = kKeys[data[0] % 5];
    const std::string value = zorv::ReadIniValue(content, data[0] & 0x80 ? "Linux" : "ProgrammSet", key, "default");
    // A value never spans lines.
    if (value.find('\n') != std::string::npos || value.find('\r') != std::string::npos) __builtin_trap();
    return 0;
}
