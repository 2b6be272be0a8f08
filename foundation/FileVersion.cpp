#include <cstdio>
#include <utility>
#include <vector>

#include "foundation/CommonUtils.h"
#include "foundation/ExceptionGuard.h"
#include "foundation/FilePaths.h"
#include "foundation/VersionInfo.h"

namespace zorv {

std::string GetFileVersion(const std::string& FileName) {
    std::string result;
    Guarded("CommonUtils.GetFileVersion", [&] {
        if (FileName.empty() || !FileExists(FileName)) return;
        std::string block;
        if (!ReadFileVersionInfo(FileName, block)) return;
        std::vector<std::pair<uint16_t, uint16_t>> pairs;
        if (!QueryVersionTranslations(block, pairs)) return;
        std::string version;
        bool found = false;
        for (const auto& pair : pairs) {
            char path[64];
            std::snprintf(path, sizeof path, "StringFileInfo\\0%X0%X\\FileVersion", pair.first, pair.second);
            if (QueryVersionString(block, path, version)) {
                found = true;
                break;
            }
        }
        if (!found) return;
        result = ExtractToken(version, ".", 1) + "." + ExtractToken(version, ".", 2) + "." +
                 ExtractToken(version, ".", 4);
    });
    return result;
}

}  // namespace zorv
