#include <windows.h>

#include <vector>

#include "foundation/Cp1251.h"
#include "foundation/FilePaths.h"
#include "foundation/WidePathsWin32.h"

namespace zorv {

const char kPathDelimiters[] = "\\:";

std::wstring WidePath(const std::string& path) {
    if (path.empty()) return std::wstring();
    const int size = static_cast<int>(path.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, path.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, path.data(), size, &wide[0], n);
    return wide;
}

std::string Utf8Path(const std::wstring& path) {
    if (path.empty()) return std::string();
    const int size = static_cast<int>(path.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, path.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, path.data(), size, &utf8[0], n, nullptr, nullptr);
    return utf8;
}

std::string GetExecutablePath() {
    // A path longer than the buffer comes back cut, with the buffer filled: grow and ask again.
    constexpr DWORD kLongestPath = 32768;
    std::vector<wchar_t> path(MAX_PATH + 1);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size() || path.size() >= kLongestPath) return Utf8Path(std::wstring(path.data(), n));
        path.resize(path.size() * 2);
    }
}

namespace {

DWORD Attributes(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(WidePath(path).c_str());
}

}  // namespace

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string PathFromAnsi(const std::string& cp1251) { return Cp1251ToUtf8(cp1251); }

std::string PathToAnsi(const std::string& path) { return Utf8ToCp1251(path); }

std::FILE* OpenFile(const std::string& path, const char* mode) {
    // The C library's narrow fopen would read the path in the system code page.
    return _wfopen(WidePath(path).c_str(), WidePath(mode).c_str());
}

}  // namespace zorv
