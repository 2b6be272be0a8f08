#include <gtest/gtest.h>

#include "TempDir.h"
#include "foundation/Cp1251.h"
#include "foundation/IniFile.h"

namespace zorv {
namespace {

// The portable reader claims the semantics of the private-profile service;
// here both read the same files and must agree.
struct TIniCase {
    const char* Name;
    std::string Content;
    const char* Section;
    const char* Key;
    std::string Expected;
};

class Win32IniTest : public ::testing::TestWithParam<TIniCase> {};

TEST_P(Win32IniTest, ServiceAndPortableReaderAgree) {
    const TIniCase& c = GetParam();
    test::TempDir dir;
    dir.Write("ZorvGSMDemo.ini", c.Content);
    EXPECT_EQ(ReadPrivateProfileString(dir.File("ZorvGSMDemo.ini"), c.Section, c.Key, "default"), c.Expected);
    EXPECT_EQ(ReadIniValue(c.Content, c.Section, c.Key, "default"), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Win32IniTest,
    ::testing::Values(
        TIniCase{"Plain", "[ProgrammSet]\r\nControllerLogFileName=C:\\Logs\\panel.txt\r\n", "ProgrammSet",
                 "ControllerLogFileName", "C:\\Logs\\panel.txt"},
        TIniCase{"AnyLetterCase", "[programmset]\ncontrollerlogfilename=x\n", "ProgrammSet", "ControllerLogFileName",
                 "x"},
        TIniCase{"BlanksTrimmed", "[S]\n   Key   =   a value   \n", "S", "Key", "a value"},
        TIniCase{"DoubleQuotes", "[S]\nKey=\"quoted value \"\n", "S", "Key", "quoted value "},
        TIniCase{"SingleQuotes", "[S]\nKey='quoted'\n", "S", "Key", "quoted"},
        TIniCase{"EqualsInValue", "[S]\nKey=a=b\n", "S", "Key", "a=b"},
        TIniCase{"EmptyValue", "[S]\nKey=\n", "S", "Key", ""},
        TIniCase{"FirstOfTwo", "[S]\nKey=1\nKey=2\n", "S", "Key", "1"},
        TIniCase{"CommentLine", "[S]\n;Key=1\n", "S", "Key", "default"},
        TIniCase{"OtherSection", "[A]\nKey=1\n[B]\nOther=2\n", "B", "Key", "default"},
        TIniCase{"NoSection", "Key=1\n", "S", "Key", "default"},
        TIniCase{"EmptyFile", "", "S", "Key", "default"},
        TIniCase{"CyrillicBytes", Ansi("[S]\nKey=Журнал панели\n"), "S", "Key", Ansi("Журнал панели")},
        TIniCase{"LongerThanTheFirstBuffer", "[S]\nKey=" + std::string(5000, 'v') + "\n", "S", "Key",
                 std::string(5000, 'v')}),
    [](const ::testing::TestParamInfo<TIniCase>& info) { return std::string(info.param.Name); });

TEST(Win32Ini, MissingFileGivesTheDefault) {
    test::TempDir dir;
    EXPECT_EQ(ReadPrivateProfileString(dir.File("missing.ini"), "ProgrammSet", "ControllerLogFileName", "d"), "d");
    EXPECT_EQ(ReadPrivateProfileString(dir.File("missing.ini"), "ProgrammSet", "ControllerLogFileName", ""), "");
}

}  // namespace
}  // namespace zorv
