#include <windows.h>

#include <vector>

#include "foundation/FilePaths.h"

namespace zorv {

const char kPathDelimiters[] = "\\:";

std::string GetExecutablePath() {
    // A path longer than the buffer comes back cut, with the buffer filled: grow and ask again.
    constexpr DWORD kLongestPath = 32768;
    std::vector<char> path(MAX_PATH + 1);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size() || path.size() >= kLongestPath) return std::string(path.data(), n);
        path.resize(path.size() * 2);
    }
}

// The ANSI calls take the path in the user's code page as it stands; a
// conversion through the C++ library would throw on Cyrillic folder names.
bool DirectoryExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace zorv
