#include <gtest/gtest.h>

#include "TempDir.h"
#include "foundation/CommonUtils.h"
#include "foundation/FilePaths.h"

namespace zorv {
namespace {

TEST(GetFileVersion, ShortensTheVersionOfTheRunningExecutable) {
    // The build writes 1.0.0.1 into every executable of the project.
    EXPECT_EQ(GetFileVersion(GetExecutablePath()), "1.0.1");
}

TEST(GetFileVersion, IsEmptyForFilesWithoutVersionInformation) {
    test::TempDir dir;
    EXPECT_EQ(GetFileVersion(""), "");
    EXPECT_EQ(GetFileVersion(dir.File("missing")), "");
    dir.Write("plain", "not an executable");
    EXPECT_EQ(GetFileVersion(dir.File("plain")), "");
    std::string truncatedElf = "\x7F" "ELF\x02\x01";
    truncatedElf.resize(80, '\xFF');
    dir.Write("broken", truncatedElf);
    EXPECT_EQ(GetFileVersion(dir.File("broken")), "");
    EXPECT_EQ(GetFileVersion("/bin/sh"), "");
}

TEST(FilePaths, SplitsFolderAndName) {
    const char s = kPathDelimiters[0];  // "/" here, "\" on Windows
    const std::string folder = std::string(1, s) + "var" + s + "log" + s;
    EXPECT_EQ(ExtractFilePath(folder + "panel.txt"), folder);
    EXPECT_EQ(ExtractFileName(folder + "panel.txt"), "panel.txt");
    EXPECT_EQ(ExtractFilePath("panel.txt"), "");
    EXPECT_EQ(ExtractFilePath(folder), folder);
    EXPECT_FALSE(DirectoryExists(""));
}

}  // namespace
}  // namespace zorv
