#pragma once
// File-system facts the program needs: its own path, the folder rules of the
// platform, and the one way from a path to the file system.
//
// A path is held in the file system's own text, which can name any file: on
// Windows UTF-8, which the wide calls take as UTF-16 whatever the system code
// page; on Linux the bytes as they stand. Program texts, the INI's values among
// them, are Windows-1251 and cross into paths and back only through the two
// conversions below.
#include <cstdio>
#include <string>

namespace zorv {

// The characters that end the folder part of a path: "\" and ":" on Windows, "/" elsewhere.
extern const char kPathDelimiters[];

// Full path of the running executable (platform file).
std::string GetExecutablePath();

// Everything up to and including the last path delimiter; empty when there is none.
std::string ExtractFilePath(const std::string& path);

// Everything after the folder part.
std::string ExtractFileName(const std::string& path);

// An empty path names no directory.
bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);

// A path named by a Windows-1251 text, such as an INI value (platform file).
std::string PathFromAnsi(const std::string& cp1251);
// A path as a Windows-1251 text, for log lines; characters it cannot hold become '?' (platform file).
std::string PathToAnsi(const std::string& path);

// std::fopen for a path of any characters; null with errno set when it fails (platform file).
std::FILE* OpenFile(const std::string& path, const char* mode);

}  // namespace zorv
