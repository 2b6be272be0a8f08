#include <gtest/gtest.h>
#include <windows.h>

#include "FolderNames.h"
#include "FormHarness.h"
#include "RowName.h"
#include "TempDir.h"
#include "form/ZorvGSMDemoMain.h"
#include "foundation/ErrorLog.h"
#include "foundation/Cp1251.h"
#include "foundation/FilePaths.h"
#include "foundation/IniFile.h"
#include "foundation/WidePathsWin32.h"

namespace zorv {
namespace {

TEST(Win32Paths, ExecutablePathIsTheFullPathOfThisProgram) {
    const std::string path = GetExecutablePath();
    ASSERT_GT(path.size(), 3u);
    EXPECT_EQ(path.substr(1, 2), ":\\");
    EXPECT_EQ(ExtractFileName(path), "win32_foundation_tests.exe");
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

// Paths are UTF-8 inside and UTF-16 at the wide calls, both ways alike; the
// INI's Windows-1251 texts become paths and log lines turn them back.
struct TPathCase {
    const char* Name;
    std::string Utf8;
    std::wstring Wide;
    std::string Ansi;  // the path as a Windows-1251 text
};

class Win32PathText : public ::testing::TestWithParam<TPathCase> {};

TEST_P(Win32PathText, ConvertsBothWays) {
    const TPathCase& c = GetParam();
    EXPECT_EQ(WidePath(c.Utf8), c.Wide);
    EXPECT_EQ(Utf8Path(c.Wide), c.Utf8);
    EXPECT_EQ(PathToAnsi(c.Utf8), c.Ansi);
    if (c.Ansi.find('?') == std::string::npos) {
        EXPECT_EQ(PathFromAnsi(c.Ansi), c.Utf8);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Win32PathText,
    ::testing::Values(
        TPathCase{"Empty", "", L"", ""},
        TPathCase{"Ascii", "C:\\Logs\\panel.txt", L"C:\\Logs\\panel.txt", "C:\\Logs\\panel.txt"},
        TPathCase{"Cyrillic", "C:\\Иван Петров\\журнал", L"C:\\\u0418\u0432\u0430\u043D \u041F\u0435\u0442\u0440\u043E\u0432\\\u0436\u0443\u0440\u043D\u0430\u043B",
                  "C:\\\xC8\xE2\xE0\xED \xCF\xE5\xF2\xF0\xEE\xE2\\\xE6\xF3\xF0\xED\xE0\xEB"},
        TPathCase{"Windows1251Signs", "C:\\Ёж №1 «Ђ»", L"C:\\\u0401\u0436 \u21161 \u00AB\u0402\u00BB", "C:\\\xA8\xE6 \xB9\x31 \xAB\x80\xBB"},
        TPathCase{"AccentsOutsideWindows1251", "C:\\José Müller", L"C:\\Jos\u00E9 M\u00FCller", "C:\\Jos? M?ller"},
        TPathCase{"BeyondTheFirstPlane", "C:\\日本 🙂", L"C:\\\u65E5\u672C \xD83D\xDE42", "C:\\?? ?"}),
    [](const ::testing::TestParamInfo<TPathCase>& info) { return std::string(info.param.Name); });

TEST(Win32Paths, MalformedUtf8NamesNoFile) {
    EXPECT_EQ(WidePath("a\xFFz"), L"a\uFFFDz");
    EXPECT_FALSE(FileExists("\xFF"));
}

// Whatever the system code page, the program finds and writes its files in
// folders whose names it cannot hold: Russian, Western, and both at once.
class Win32FolderName : public ::testing::TestWithParam<test::FolderName> {
protected:
    void SetUp() override {
        Folder = Dir.File(GetParam().Folder) + "\\";
        ASSERT_TRUE(CreateDirectoryW(WidePath(Folder).c_str(), nullptr));
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::FILE* file = OpenFile(Folder + name, "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    std::string Read(const std::string& name) const {
        std::string bytes;
        if (std::FILE* file = OpenFile(Folder + name, "rb")) {
            char buffer[256];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
            std::fclose(file);
        }
        return bytes;
    }

    test::TempDir Dir;
    std::string Folder;
};

TEST_P(Win32FolderName, FoldersFilesAndTheIni) {
    EXPECT_TRUE(DirectoryExists(Folder));
    EXPECT_FALSE(FileExists(Folder));
    Write("ZorvGSMDemo.ini", "[ProgrammSet]\r\nControllerLogFileName=x\r\n");
    EXPECT_TRUE(FileExists(Folder + "ZorvGSMDemo.ini"));
    EXPECT_EQ(ReadPrivateProfileString(Folder + "ZorvGSMDemo.ini", "ProgrammSet", "ControllerLogFileName", ""), "x");
}

TEST_P(Win32FolderName, TheErrorLogIsWrittenThere) {
    {
        TErrorLog log(Folder + "ErrLog.txt", [] { return TLocalDateTime{2026, 12, 7, 4, 35, 0, 0}; });
        AddErrorLog(Ansi("Ошибка"));
    }
    const std::string log = Read("ErrLog.txt");
    EXPECT_NE(log.find(": " + Ansi("Ошибка") + "\r\n"), std::string::npos) << log;
}

// The INI names the controller log in Windows-1251; the folder is created
// under that name read as Windows-1251, whatever the system code page.
TEST_P(Win32FolderName, TheControllerLogIsWrittenWhereTheIniNamesIt) {
    test::FakeForm fake;
    fake.Form.FIniFileName = Folder + "ZorvGSMDemo.ini";
    const std::string logs = fake.FDir.File("журнал") + "\\";
    ASSERT_TRUE(CreateDirectoryW(WidePath(logs).c_str(), nullptr));
    Write("ZorvGSMDemo.ini", "[ProgrammSet]\r\nControllerLogFileName=" + PathToAnsi(logs) + Ansi("панель.txt") + "\r\n");
    fake.Form.ReadIniFile();
    ASSERT_TRUE(fake.Form.FControllerLogEnabled);
    EXPECT_EQ(fake.Form.FControllerLogFileName, logs + "панель20261207.log");
    fake.Form.AddOutControllerLog("VERSION?");
    EXPECT_TRUE(FileExists(logs + "панель20261207.log"));
}

INSTANTIATE_TEST_SUITE_P(Names, Win32FolderName, ::testing::ValuesIn(test::kFolderNames), test::RowName());

}  // namespace
}  // namespace zorv
