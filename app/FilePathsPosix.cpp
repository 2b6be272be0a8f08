#include <limits.h>
#include <unistd.h>

#include "app/FilePaths.h"

namespace zorv {

const char kPathDelimiters[] = "/";

std::string GetExecutablePath() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

}  // namespace zorv
