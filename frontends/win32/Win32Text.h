#pragma once
// The one place where the core's Windows-1251 texts become UTF-16 for the
// system: the window is drawn with the wide API, so Cyrillic shows correctly
// whatever the computer's ANSI code page is.
#include <string>

namespace zorv {

std::wstring ToWide(const std::string& cp1251);

}  // namespace zorv
