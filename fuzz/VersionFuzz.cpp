// Field extraction, the firmware version checks and integer conversion over arbitrary texts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/CommonUtils.h"
#include "foundation/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        const std::string field = zorv::ExtractToken(text, ".", data[0]);
        if (field.size() > text.size()) __builtin_trap();
    } catch (const zorv::ERangeError&) {
        if (text.size() <= 255) __builtin_trap();
    }
    zorv::CheckHardVersion("5.1", text);
    const int32_t code = zorv::CompareBuildVersion("5.1.10.6", text);
    if (code < 0 || code > 4) __builtin_trap();
    int32_t value = 0;
    zorv::TryStrToInt(text, value);
    return 0;
}
