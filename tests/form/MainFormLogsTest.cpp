#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "FormHarness.h"
#include "form/ZorvGSMDemoMain.h"
#include "foundation/CommonUtils.h"
#include "foundation/Cp1251.h"
#include "foundation/FilePaths.h"
#include "foundation/LocalTime.h"

namespace zorv {
namespace {

class MainFormLogsTest : public ::testing::Test, protected test::FakeForm {
protected:
    void Ini(const std::string& content) { dir.Write("ZorvGSMDemo.ini", content); }
    void ReadWithLogName(const std::string& value) {
        Ini("[ProgrammSet]\nControllerLogFileName=" + value + "\n");
        form.ReadIniFile();
    }
};

TEST_F(MainFormLogsTest, LogIsOffWithoutFileKeyOrExistingFolder) {
    form.ReadIniFile();
    EXPECT_FALSE(form.FControllerLogEnabled);
    ReadWithLogName("");
    EXPECT_FALSE(form.FControllerLogEnabled);
    ReadWithLogName("panel.txt");  // a bare name has no folder part
    EXPECT_FALSE(form.FControllerLogEnabled);
    ReadWithLogName(dir.File(std::string("missing") + kPathDelimiters[0] + "panel.txt"));
    EXPECT_FALSE(form.FControllerLogEnabled);
    EXPECT_EQ(form.FControllerLogFileName, "");
}

TEST_F(MainFormLogsTest, LogNameTakesTheStartDateInPlaceOfTheExtension) {
    ReadWithLogName(dir.File("panel.txt"));
    EXPECT_TRUE(form.FControllerLogEnabled);
    EXPECT_EQ(form.FControllerLogFileName, dir.File("panel20261207.log"));
    ReadWithLogName(dir.File("panel"));
    EXPECT_EQ(form.FControllerLogFileName, dir.File("panel20261207.log"));
    ReadWithLogName(dir.File("panel.v2.log"));
    EXPECT_EQ(form.FControllerLogFileName, dir.File("panel.v220261207.log"));
    ReadWithLogName(dir.Path());
    EXPECT_EQ(form.FControllerLogFileName, dir.File("20261207.log"));
}

TEST_F(MainFormLogsTest, DeviceRootComesFromTheLinuxSection) {
    form.ReadIniFile();
    EXPECT_EQ(devices.Root, "/");
    Ini("[linux]\ndeviceroot = /tmp/emulated\n");
    form.ReadIniFile();
    EXPECT_EQ(form.FDeviceRoot, "/tmp/emulated");
    EXPECT_EQ(devices.Root, "/tmp/emulated");
}

TEST_F(MainFormLogsTest, ControllerLogLinesCarryStampMarkerAndCrLf) {
    ReadWithLogName(dir.File("c.log"));
    form.AddOutControllerLog("VERSION?");
    loop.Advance(17);
    form.AddInpControllerLog("Main ver=5.1.10.6");
    form.AddOutControllerLog("");
    form.AddInpControllerLog("");
    EXPECT_EQ(dir.Read("c20261207.log"),
              "2026-12-07 04:35:00.000 OUT: VERSION?\r\n"
              "2026-12-07 04:35:00.017 IN:  Main ver=5.1.10.6\r\n");
}

// The form's lines take the user's separator, ":" on Linux and in the Russian settings the
// Windows tests run with (the test above); any other joins the time's fields alone.
TEST(ControllerLogTimeStamp, TheTimesFieldsAreJoinedByTheGivenSeparatorOnly) {
    const struct {
        TLocalDateTime Time;
        const char* Separator;
        const char* Stamp;
    } cases[] = {
        {{2026, 12, 7, 4, 35, 0, 17}, ":", "2026-12-07 04:35:00.017"},
        {{2026, 12, 7, 4, 35, 0, 17}, ".", "2026-12-07 04.35.00.017"},
        {{2027, 1, 2, 23, 5, 9, 999}, " h ", "2027-01-02 23 h 05 h 09.999"},
        {{2027, 1, 2, 0, 0, 0, 0}, "\xB7", "2027-01-02 00\xB7" "00\xB7" "00.000"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatLogTimeStamp(c.Time, c.Separator), c.Stamp) << c.Separator;
}

TEST_F(MainFormLogsTest, ControllerLogKeepsTextBytesAsTheyAre) {
    ReadWithLogName(dir.File("c.log"));
    form.AddInpControllerLog(Ansi("Ошибка"));
    EXPECT_EQ(dir.Read("c20261207.log"), "2026-12-07 04:35:00.000 IN:  \xCE\xF8\xE8\xE1\xEA\xE0\r\n");
}

TEST_F(MainFormLogsTest, VanishedLogFolderCostsOneErrorLinePerControllerLine) {
    test::TempDir logs;
    Ini("[ProgrammSet]\nControllerLogFileName=" + logs.File("c.log") + "\n");
    form.ReadIniFile();
    const std::string folder = logs.Path();
    ASSERT_TRUE(form.FControllerLogEnabled);
    std::filesystem::remove_all(folder);
    form.AddOutControllerLog("VERSION?");
    form.AddInpControllerLog("OK");
    const std::string errors = dir.Read("ErrLog.txt");
    EXPECT_NE(errors.find("TZorvGSMDemoMainForm.AddOutControllerLog. Exception EOSError."), std::string::npos);
    EXPECT_NE(errors.find("TZorvGSMDemoMainForm.AddInpControllerLog. Exception EOSError."), std::string::npos);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2);
}

TEST_F(MainFormLogsTest, MessageBoxHasTheProgramTitleAndTheGivenFlags) {
    form.ShowMessageBox("text", 16);
    ASSERT_EQ(view.MessageBoxes.size(), 1u);
    EXPECT_EQ(view.MessageBoxes[0].Title, Ansi("Зорв GSM: демонстрация работы."));
    EXPECT_EQ(view.MessageBoxes[0].Flags, 16u);
}

TEST_F(MainFormLogsTest, ApplicationExceptionsAreLoggedOnly) {
    form.OnApplicationException(std::runtime_error("boom"));
    EXPECT_NE(dir.Read("ErrLog.txt").find(
                  "TZorvGSMDemoMainForm.OnApplicationException. Exception Exception. Exception message: boom\r\n"),
              std::string::npos);
    EXPECT_TRUE(view.MessageBoxes.empty());
}

}  // namespace
}  // namespace zorv
