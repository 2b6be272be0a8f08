#include <gtest/gtest.h>

#include "TempDir.h"
#include "foundation/IniFile.h"

namespace zorv {
namespace {

TEST(IniFile, FindsSectionsAndKeysWithoutRegardToCaseAndTrimsBlanks) {
    test::TempDir dir;
    dir.Write("a.ini", "; comment\r\n[ProgrammSet]\r\n  ControllerLogFileName =  /tmp/x.txt  \r\n[Linux]\nDeviceRoot=/r\n");
    const std::string f = dir.File("a.ini");
    EXPECT_EQ(ReadPrivateProfileString(f, "programmset", "CONTROLLERLOGFILENAME", "d"), "/tmp/x.txt");
    EXPECT_EQ(ReadPrivateProfileString(f, "LINUX", "deviceroot", "/"), "/r");
    EXPECT_EQ(ReadPrivateProfileString(f, "Linux", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ReadPrivateProfileString(f, "Nowhere", "DeviceRoot", "dflt"), "dflt");
}

TEST(IniFile, MissingFileGivesTheDefault) {
    test::TempDir dir;
    EXPECT_EQ(ReadPrivateProfileString(dir.File("none.ini"), "ProgrammSet", "Key", "d"), "d");
    EXPECT_EQ(ReadPrivateProfileString(dir.Path(), "ProgrammSet", "Key", "d"), "d");  // a folder, not a file
}

// As the service does, a file that starts with a byte-order mark is Unicode, and its values come as Windows-1251.
TEST(IniFile, AFileWithAByteOrderMarkIsReadAsUnicode) {
    test::TempDir dir;
    dir.Write("utf8.ini", "\xEF\xBB\xBF[S]\r\nKey=\xD0\x96\r\n");
    dir.Write("utf16.ini", std::string("\xFF\xFE[\0S\0]\0\n\0K\0e\0y\0=\0\x16\x04", 20));
    dir.Write("cp1251.ini", "[S]\r\nKey=\xEF\xBB\xBF\r\n");
    EXPECT_EQ(ReadPrivateProfileString(dir.File("utf8.ini"), "S", "Key", "d"), "\xC6");
    EXPECT_EQ(ReadPrivateProfileString(dir.File("utf16.ini"), "S", "Key", "d"), "\xC6");
    EXPECT_EQ(ReadPrivateProfileString(dir.File("cp1251.ini"), "S", "Key", "d"), "\xEF\xBB\xBF");
}

TEST(IniFile, OddContentReadsWithoutFailing) {
    EXPECT_EQ(ReadIniValue("Key=no section\n", "S", "Key", "d"), "d");
    EXPECT_EQ(ReadIniValue("[S]\nKey=first\nKey=second\n", "S", "Key", "d"), "first");
    EXPECT_EQ(ReadIniValue("[S]\nKey=\n", "S", "Key", "d"), "");
    EXPECT_EQ(ReadIniValue("[S]\nKey=\"quoted value\"\n", "S", "Key", "d"), "quoted value");
    EXPECT_EQ(ReadIniValue("[S]\nKey=a=b\n", "S", "Key", "d"), "a=b");
    EXPECT_EQ(ReadIniValue("[S\nKey=x\n", "S", "Key", "d"), "d");
    EXPECT_EQ(ReadIniValue("[S]\r\nNoEquals\r\nKey=x", "S", "Key", "d"), "x");
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 131) & 0xFF);
    EXPECT_EQ(ReadIniValue(noise + "\n[S]\nKey=after noise\n", "S", "Key", "d"), "after noise");
    const std::string huge(1 << 20, 'v');
    EXPECT_EQ(ReadIniValue("[S]\nKey=" + huge + "\n", "S", "Key", "d"), huge);
}

}  // namespace
}  // namespace zorv
