#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/FilePaths.h"

namespace zorv {

const char kPathDelimiters[] = "/";

std::string GetExecutablePath() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

namespace {

bool StatMode(const std::string& path, mode_t& mode) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return false;
    mode = info.st_mode;
    return true;
}

}  // namespace

bool DirectoryExists(const std::string& path) {
    mode_t mode = 0;
    return StatMode(path, mode) && S_ISDIR(mode);
}

bool FileExists(const std::string& path) {
    mode_t mode = 0;
    return StatMode(path, mode) && S_ISREG(mode);
}

// Linux names files by bytes: a path and its text are the same bytes.
std::string PathFromAnsi(const std::string& cp1251) { return cp1251; }

std::string PathToAnsi(const std::string& path) { return path; }

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

}  // namespace zorv
