#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "TempDir.h"
#include "foundation/Cp1251.h"
#include "foundation/IniFile.h"

namespace zorv {
namespace {

// The program reads its INI with the portable reader, which claims the
// semantics of the private-profile service; here both read the same files and
// must agree (in code page 1251, where the service's values are the program's).
std::string ServiceValue(const std::string& fileName, const char* section, const char* key) {
    std::vector<char> buffer(1 << 16);
    const DWORD n = GetPrivateProfileStringA(section, key, "default", buffer.data(), static_cast<DWORD>(buffer.size()),
                                             fileName.c_str());
    return std::string(buffer.data(), n);
}

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
    EXPECT_EQ(ServiceValue(dir.File("ZorvGSMDemo.ini"), c.Section, c.Key), c.Expected);
    EXPECT_EQ(ReadPrivateProfileString(dir.File("ZorvGSMDemo.ini"), c.Section, c.Key, "default"), c.Expected);
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
        TIniCase{"Utf8WithByteOrderMark", "\xEF\xBB\xBF[S]\nKey=" + Cp1251ToUtf8(Ansi("Журнал")) + "\n", "S", "Key",
                 Ansi("Журнал")},
        TIniCase{"Utf16WithByteOrderMark", std::string("\xFF\xFE[\0S\0]\0\n\0K\0e\0y\0=\0\x16\x04\n\0", 22), "S", "Key",
                 Ansi("Ж")},
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
