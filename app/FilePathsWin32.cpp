#include <windows.h>

#include <vector>

#include "app/FilePaths.h"

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

}  // namespace zorv
