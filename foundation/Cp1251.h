#pragma once
// The core keeps every text as 8-bit Windows-1251. These convert at the
// toolkit boundary and fold letter case with the Windows-1251 table.
#include <string>

namespace zorv {

std::string Cp1251ToUtf8(const std::string& text);

// Characters that Windows-1251 cannot hold become '?'; malformed UTF-8 bytes too.
std::string Utf8ToCp1251(const std::string& text);

// UTF-16 little-endian bytes as Windows-1251; characters it cannot hold become '?'.
std::string Utf16LeToCp1251(const std::string& bytes);

// A Windows-1251 text from a UTF-8 literal of the source code.
inline std::string Ansi(const char* utf8) { return Utf8ToCp1251(utf8); }

char AnsiUpperChar(char c);
std::string AnsiUpperCase(const std::string& text);

}  // namespace zorv
