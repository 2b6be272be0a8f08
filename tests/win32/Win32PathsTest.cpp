#include <gtest/gtest.h>

#include "foundation/FilePaths.h"

namespace zorv {
namespace {

TEST(Win32Paths, ExecutablePathIsTheFullPathOfThisProgram) {
    const std::string path = GetExecutablePath();
    ASSERT_GT(path.size(), 3u);
    EXPECT_EQ(path.substr(1, 2), ":\\");
    EXPECT_EQ(ExtractFileName(path), "win32_platform_tests.exe");
    EXPECT_TRUE(DirectoryExists(ExtractFilePath(path)));
    EXPECT_TRUE(FileExists(path));
}

TEST(Win32Paths, BackslashAndColonEndTheFolderPart) {
    EXPECT_EQ(ExtractFilePath("C:\\Logs\\panel.txt"), "C:\\Logs\\");
    EXPECT_EQ(ExtractFilePath("C:panel.txt"), "C:");
    EXPECT_EQ(ExtractFileName("C:panel.txt"), "panel.txt");
    EXPECT_EQ(ExtractFilePath("panel.txt"), "");
    EXPECT_EQ(ExtractFilePath("C:\\Logs\\"), "C:\\Logs\\");
}

}  // namespace
}  // namespace zorv
