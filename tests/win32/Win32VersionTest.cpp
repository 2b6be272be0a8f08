#include <gtest/gtest.h>
#include <windows.h>

#include <utility>
#include <vector>

#include "TempDir.h"
#include "foundation/CommonUtils.h"
#include "foundation/Cp1251.h"
#include "foundation/FilePaths.h"
#include "foundation/VersionInfo.h"

namespace zorv {
namespace {

TEST(Win32Version, TheProgramCarriesItsFileVersionInTheRussianStringTable) {
    std::string block;
    ASSERT_TRUE(ReadFileVersionInfo(ZORV_PROGRAM_EXE, block));
    std::vector<std::pair<uint16_t, uint16_t>> pairs;
    ASSERT_TRUE(QueryVersionTranslations(block, pairs));
    EXPECT_EQ(pairs, (std::vector<std::pair<uint16_t, uint16_t>>{{0x0419, 1251}}));
    std::string version;
    ASSERT_TRUE(QueryVersionString(block, "StringFileInfo\\041904E3\\FileVersion", version));
    EXPECT_EQ(version, "1.0.0.1");
    EXPECT_EQ(GetFileVersion(ZORV_PROGRAM_EXE), "1.0.1");
}

// Many users' profile folders are named in Cyrillic letters.
TEST(Win32Version, AProgramInACyrillicFolderKeepsItsVersion) {
    test::TempDir dir;
    const std::string folder = dir.File(Ansi("Иван"));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string copy = folder + "\\ZorvGSMDemo.exe";
    ASSERT_TRUE(CopyFileA(ZORV_PROGRAM_EXE, copy.c_str(), TRUE));
    EXPECT_TRUE(DirectoryExists(folder));
    EXPECT_TRUE(FileExists(copy));
    EXPECT_FALSE(FileExists(folder));
    EXPECT_EQ(GetFileVersion(copy), "1.0.1");
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(Win32Version, FilesWithoutVersionInformationGiveNone) {
    EXPECT_EQ(GetFileVersion(ZORV_NO_VERSION_EXE), "");
    test::TempDir dir;
    dir.Write("plain.exe", "MZ but nothing of a program");
    EXPECT_EQ(GetFileVersion(dir.File("plain.exe")), "");
    EXPECT_EQ(GetFileVersion(dir.File("missing.exe")), "");
    std::string block = "kept";
    EXPECT_FALSE(ReadFileVersionInfo(ZORV_NO_VERSION_EXE, block));
    EXPECT_EQ(block, "");
}

}  // namespace
}  // namespace zorv
