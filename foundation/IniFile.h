#pragma once
// Reading INI files with the semantics of the private-profile service:
// sections and keys match without regard to letter case, blanks around keys
// and values are trimmed, and a missing file, section or key gives the default.
#include <string>

namespace zorv {

// The portable reader over the file FileName names (FilePaths.h: any characters on Windows).
// The service itself is not asked: its ANSI call cannot open every file name, and its wide
// call would hand the values back through the system code page rather than as the file's bytes.
std::string ReadPrivateProfileString(const std::string& fileName, const std::string& section,
                                     const std::string& key, const std::string& defaultValue);

// The portable reader over the bytes of an INI file. Duplicate keys: the first wins.
// A value quoted with matching single or double quotes loses its quotes.
std::string ReadIniValue(const std::string& content, const std::string& section, const std::string& key,
                         const std::string& defaultValue);

}  // namespace zorv
