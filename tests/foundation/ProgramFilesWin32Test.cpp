#include <gtest/gtest.h>
#include <windows.h>

#include "PlacesTable.h"
#include "RowName.h"
#include "foundation/FilePaths.h"
#include "foundation/ProgramFilesWin32.h"
#include "foundation/WidePathsWin32.h"

namespace zorv {
namespace {

const char kInstalled[] = "C:\\Program Files\\ZorvGSMDemo\\";
const char kInstalledExe[] = "C:\\Program Files\\ZorvGSMDemo\\ZorvGSMDemo.exe";
const char kRoaming[] = "C:\\Users\\Ann\\AppData\\Roaming";
const char kLocal[] = "C:\\Users\\Ann\\AppData\\Local";
const char kUsersIni[] = "C:\\Users\\Ann\\AppData\\Roaming\\ZorvGSMDemo\\ZorvGSMDemo.ini";
const char kUsersLog[] = "C:\\Users\\Ann\\AppData\\Local\\ZorvGSMDemo\\ErrLog.txt";
const char kUsersLogFolder[] = "C:\\Users\\Ann\\AppData\\Local\\ZorvGSMDemo";

using PlacesCase = test::PlacesCase<TWindowsFolders>;

class ProgramFilesWin32Test : public ::testing::TestWithParam<PlacesCase> {};

TEST_P(ProgramFilesWin32Test, PlacesFollowTheInstallerAndTheProgramsFolder) { test::ExpectPlaces(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Places, ProgramFilesWin32Test,
    ::testing::Values(
        PlacesCase{"UnpackedZipKeepsItsPlaces", {"D:\\Demo\\ZorvGSMDemo.exe", "", true, kRoaming, kLocal},
                   {kUsersIni}, "D:\\Demo\\ZorvGSMDemo.ini", "ErrLog.txt", ""},
        PlacesCase{"InstalledReadsTheIniBesideItselfWithoutTheUsersOne",
                   {kInstalledExe, kInstalled, true, kRoaming, kLocal}, {},
                   "C:\\Program Files\\ZorvGSMDemo\\ZorvGSMDemo.ini", kUsersLog, kUsersLogFolder},
        PlacesCase{"InstalledReadsTheUsersIniWhenThereIsOne", {kInstalledExe, kInstalled, false, kRoaming, kLocal},
                   {kUsersIni}, kUsersIni, kUsersLog, kUsersLogFolder},
        PlacesCase{"RecordIsComparedWithoutCaseOrFinalBackslash",
                   {kInstalledExe, "c:\\program files\\zorvgsmdemo", true, kRoaming + std::string("\\"), kLocal},
                   {kUsersIni}, kUsersIni, kUsersLog, kUsersLogFolder},
        PlacesCase{"ZipUnpackedWhereItMayNotWriteLogsIntoTheUsersFolder",
                   {"C:\\Program Files\\Demo\\ZorvGSMDemo.exe", "", false, kRoaming, kLocal}, {},
                   "C:\\Program Files\\Demo\\ZorvGSMDemo.ini", kUsersLog, kUsersLogFolder},
        PlacesCase{"CopyBesideAnInstalledProgramIsPortable",
                   {"D:\\Demo\\ZorvGSMDemo.exe", kInstalled, true, kRoaming, kLocal}, {kUsersIni},
                   "D:\\Demo\\ZorvGSMDemo.ini", "ErrLog.txt", ""},
        PlacesCase{"WithoutTheUsersFoldersTheLogStaysInTheCurrentFolder",
                   {kInstalledExe, kInstalled, true, "", ""}, {kUsersIni},
                   "C:\\Program Files\\ZorvGSMDemo\\ZorvGSMDemo.ini", "ErrLog.txt", ""}),
    test::RowName());

// The installer's record in the registry, as the MSI writes it, for this test program's folder.
class RecordedInstall {
public:
    explicit RecordedInstall(const std::string& folder) {
        const std::wstring value = WidePath(folder);
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Zorv\\ZorvGSMDemo", L"InstallFolder", REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    ~RecordedInstall() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Zorv"); }
};

TEST(ProgramFilesWin32, AProgramInTheRecordedFolderLogsIntoTheUsersLocalFolderAndMakesIt) {
    const std::string local = Utf8Path(_wgetenv(L"LOCALAPPDATA"));
    ASSERT_FALSE(local.empty());
    const std::string folder = local + "\\ZorvGSMDemo";
    RemoveDirectoryW(WidePath(folder).c_str());
    EXPECT_EQ(LocateProgramFiles().ErrorLogFileName, "ErrLog.txt");
    {
        RecordedInstall record(ExtractFilePath(GetExecutablePath()));
        const TProgramFiles files = LocateProgramFiles();
        EXPECT_EQ(files.ErrorLogFileName, folder + "\\ErrLog.txt");
        EXPECT_EQ(files.IniFileName, ExtractFilePath(GetExecutablePath()) + "ZorvGSMDemo.ini");
        EXPECT_TRUE(DirectoryExists(folder));
    }
    RemoveDirectoryW(WidePath(folder).c_str());
}

}  // namespace
}  // namespace zorv
