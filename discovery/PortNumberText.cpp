#include "discovery/PortNumberText.h"

namespace zorv {

bool ReadPortNumber(const std::string& Digits, int32_t& Number) {
    if (Digits.empty()) return false;
    int64_t value = 0;
    for (const char c : Digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX) return false;
    }
    Number = static_cast<int32_t>(value);
    return true;
}

}  // namespace zorv
