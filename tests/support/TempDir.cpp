#include "TempDir.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace zorv::test {

TempDir::TempDir() {
    // mkdtemp without POSIX (the tests also run on Windows): create_directory
    // fails on a name that exists, so a fresh random name is tried again.
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::mt19937_64 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[40];
        std::snprintf(name, sizeof name, "zorv-test-%016llx", static_cast<unsigned long long>(random()));
        std::error_code ec;
        if (std::filesystem::create_directory(base / name, ec)) {
            FPath = (base / name).string() + static_cast<char>(std::filesystem::path::preferred_separator);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(FPath, ec);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string TempDir::Read(const std::string& name) const { return ReadFileBytes(File(name)); }

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace zorv::test
