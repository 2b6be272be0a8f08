#include "foundation/FilePaths.h"

namespace zorv {

std::string ExtractFilePath(const std::string& path) {
    const size_t last = path.find_last_of(kPathDelimiters);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string ExtractFileName(const std::string& path) { return path.substr(ExtractFilePath(path).size()); }

}  // namespace zorv
