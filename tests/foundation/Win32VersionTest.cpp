#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "FolderNames.h"
#include "RowName.h"
#include "TempDir.h"
#include "foundation/CommonUtils.h"
#include "foundation/Cp1251.h"
#include "foundation/FilePaths.h"
#include "foundation/VersionInfo.h"
#include "foundation/WidePathsWin32.h"

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

// What Explorer's properties and the task manager show for the program.
TEST(Win32Version, TheProgramDescribesItselfAndCarriesItsCopyright) {
    std::string block;
    ASSERT_TRUE(ReadFileVersionInfo(ZORV_PROGRAM_EXE, block));
    std::string description;
    ASSERT_TRUE(QueryVersionString(block, "StringFileInfo\\041904E3\\FileDescription", description));
    EXPECT_EQ(description, Utf8ToCp1251("Зорв GSM: демонстрация"));
    std::string copyright;
    ASSERT_TRUE(QueryVersionString(block, "StringFileInfo\\041904E3\\LegalCopyright", copyright));
    EXPECT_EQ(copyright, Utf8ToCp1251("© 2026 Zorv"));
}

// Many users' profile folders are named in letters the system code page may not hold.
class Win32VersionInFolder : public ::testing::TestWithParam<test::FolderName> {};

TEST_P(Win32VersionInFolder, AProgramThereKeepsItsVersion) {
    test::TempDir dir;
    const std::string folder = dir.File(GetParam().Folder);
    ASSERT_TRUE(CreateDirectoryW(WidePath(folder).c_str(), nullptr));
    const std::string copy = folder + "\\ZorvGSMDemo.exe";
    ASSERT_TRUE(CopyFileW(WidePath(ZORV_PROGRAM_EXE).c_str(), WidePath(copy).c_str(), TRUE));
    EXPECT_TRUE(FileExists(copy));
    EXPECT_EQ(GetFileVersion(copy), "1.0.1");
    DeleteFileW(WidePath(copy).c_str());
    RemoveDirectoryW(WidePath(folder).c_str());
}

INSTANTIATE_TEST_SUITE_P(Names, Win32VersionInFolder, ::testing::ValuesIn(test::kFolderNames), test::RowName());

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
