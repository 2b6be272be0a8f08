#include "app/FilePaths.h"

#include <filesystem>
#include <system_error>

namespace zorv {

std::string ExtractFilePath(const std::string& path) {
    const size_t last = path.find_last_of(kPathDelimiters);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string ExtractFileName(const std::string& path) { return path.substr(ExtractFilePath(path).size()); }

bool DirectoryExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::u8path(path), ec);
}

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::u8path(path), ec);
}

}  // namespace zorv
