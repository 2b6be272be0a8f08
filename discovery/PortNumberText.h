#pragma once
// Port numbers as they appear in device names ("COM12") and friendly names ("… (COM12)").
#include <cstdint>
#include <string>

namespace zorv {

// Digits only, at least one, within the signed 32-bit range; no sign, blank or hex prefix.
bool ReadPortNumber(const std::string& Digits, int32_t& Number);

}  // namespace zorv
