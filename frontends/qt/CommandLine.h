#pragma once
// The two arguments that installed programs answer without a window: --help
// and --version print to standard output. They are looked at before Qt starts,
// so they need no display; every other argument goes on to Qt as before.
#include <optional>
#include <string>

namespace zorv {

// The text to print for --help or --version (the first of them given), or
// nothing when neither is among the arguments.
std::optional<std::string> InformationRequested(int argc, const char* const* argv, const std::string& Version);

}  // namespace zorv
