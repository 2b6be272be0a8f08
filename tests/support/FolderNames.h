#pragma once
// Folder names that a system's code page may not hold, each with the name of
// its letters, which names the test row.
#include <ostream>

namespace zorv::test {

struct FolderName {
    const char* Letters;
    const char* Folder;  // UTF-8
};

inline void PrintTo(const FolderName& name, std::ostream* os) { *os << name.Letters; }

inline const FolderName kFolderNames[] = {
    {"Cyrillic", "Иван Петров"}, {"LatinWithAccents", "José Müller"}, {"ThreeScripts", "日本 Иван José"}};

}  // namespace zorv::test
