// On Linux the build writes the version information as text into the section
// ".zorv_version" of the executable:
//   \VarFileInfo\Translation=0419 04E3
//   StringFileInfo\041904E3\FileVersion=1.0.0.1
// one entry per line. This reads that section back from any ELF64 file.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>

#include "foundation/VersionInfo.h"

namespace zorv {
namespace {

const char kSectionName[] = ".zorv_version";

template <class T>
bool ReadAt(const std::string& data, uint64_t offset, T& value) {
    if (offset > data.size() || data.size() - offset < sizeof(T)) return false;
    std::memcpy(&value, data.data() + offset, sizeof(T));
    return true;
}

bool FindSection(const std::string& elf, std::string& section) {
    if (elf.size() < 64 || elf.compare(0, 4, "\x7F" "ELF") != 0 || elf[4] != 2 || elf[5] != 1) return false;
    uint64_t shoff = 0;
    uint16_t shentsize = 0, shnum = 0, shstrndx = 0;
    if (!ReadAt(elf, 0x28, shoff) || !ReadAt(elf, 0x3A, shentsize) || !ReadAt(elf, 0x3C, shnum) ||
        !ReadAt(elf, 0x3E, shstrndx) || shentsize < 64 || shstrndx >= shnum)
        return false;
    auto header = [&](uint16_t index, uint32_t& name, uint64_t& offset, uint64_t& size) {
        const uint64_t at = shoff + static_cast<uint64_t>(index) * shentsize;
        return ReadAt(elf, at, name) && ReadAt(elf, at + 24, offset) && ReadAt(elf, at + 32, size) &&
               offset <= elf.size() && size <= elf.size() - offset;
    };
    uint32_t strName = 0;
    uint64_t strOffset = 0, strSize = 0;
    if (!header(shstrndx, strName, strOffset, strSize)) return false;
    for (uint16_t i = 0; i < shnum; ++i) {
        uint32_t name = 0;
        uint64_t offset = 0, size = 0;
        if (!header(i, name, offset, size) || name >= strSize) continue;
        const char* text = elf.data() + strOffset + name;
        const size_t room = static_cast<size_t>(strSize - name);
        if (strnlen(text, room) == sizeof kSectionName - 1 && std::memcmp(text, kSectionName, sizeof kSectionName - 1) == 0) {
            section = elf.substr(static_cast<size_t>(offset), static_cast<size_t>(size));
            section = section.substr(0, section.find('\0'));
            return true;
        }
    }
    return false;
}

bool Lookup(const std::string& block, const std::string& key, std::string& value) {
    std::istringstream lines(block);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos && line.compare(0, eq, key) == 0) {
            value = line.substr(eq + 1);
            return true;
        }
    }
    return false;
}

}  // namespace

bool ReadFileVersionInfo(const std::string& FileName, std::string& block) {
    block.clear();
    std::ifstream file(FileName, std::ios::binary);
    if (!file) return false;
    std::ostringstream content;
    content << file.rdbuf();
    return FindSection(content.str(), block) && !block.empty();
}

bool QueryVersionTranslations(const std::string& block, std::vector<std::pair<uint16_t, uint16_t>>& pairs) {
    std::string value;
    if (!Lookup(block, "\\VarFileInfo\\Translation", value)) return false;
    std::istringstream words(value);
    std::string language, codePage;
    pairs.clear();
    while (words >> language >> codePage) {
        pairs.emplace_back(static_cast<uint16_t>(std::stoul(language, nullptr, 16)),
                           static_cast<uint16_t>(std::stoul(codePage, nullptr, 16)));
    }
    return !pairs.empty();
}

bool QueryVersionString(const std::string& block, const std::string& subBlock, std::string& value) {
    return Lookup(block, subBlock, value);
}

}  // namespace zorv
