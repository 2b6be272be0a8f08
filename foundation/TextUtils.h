#pragma once
// Small text helpers shared by the script, caption and INI readers.
#include <string>
#include <vector>

namespace zorv {

// Strips characters with codes 0 to 32 at both ends.
std::string TrimControl(const std::string& text);

// The text up to its first NUL byte.
std::string UntilNul(const std::string& text);

// Splits at CR, LF or CR LF (one break); a last line without a break counts,
// a break at the very end adds no empty line.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace zorv
