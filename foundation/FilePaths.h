#pragma once
// File-system facts the program needs: its own path, and the folder rules of the platform.
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

}  // namespace zorv
