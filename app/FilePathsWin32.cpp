#include <windows.h>

#include "app/FilePaths.h"

namespace zorv {

const char kPathDelimiters[] = "\\:";

std::string GetExecutablePath() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

}  // namespace zorv
