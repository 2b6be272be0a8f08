#pragma once
// The Windows side of the program's paths: UTF-8 inside, UTF-16 at the wide
// calls. Malformed UTF-8 becomes U+FFFD, which names no file.
#include <string>

namespace zorv {

std::wstring WidePath(const std::string& path);
std::string Utf8Path(const std::wstring& path);

}  // namespace zorv
