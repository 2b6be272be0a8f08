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
    void Ini(const std::string& content) { FDir.Write("ZorvGSMDemo.ini", content); }
    void ReadWithLogName(const std::string& value) {
        Ini("[ProgrammSet]\nControllerLogFileName=" + value + "\n");
        Form.ReadIniFile();
    }
};

TEST_F(MainFormLogsTest, LogIsOffWithoutFileKeyOrExistingFolder) {
    Form.ReadIniFile();
    EXPECT_FALSE(Form.FControllerLogEnabled);
    ReadWithLogName("");
    EXPECT_FALSE(Form.FControllerLogEnabled);
    ReadWithLogName("panel.txt");  // a bare name has no folder part
    EXPECT_FALSE(Form.FControllerLogEnabled);
    ReadWithLogName(FDir.File(std::string("missing") + kPathDelimiters[0] + "panel.txt"));
    EXPECT_FALSE(Form.FControllerLogEnabled);
    EXPECT_EQ(Form.FControllerLogFileName, "");
}

TEST_F(MainFormLogsTest, LogNameTakesTheStartDateInPlaceOfTheExtension) {
    ReadWithLogName(FDir.File("panel.txt"));
    EXPECT_TRUE(Form.FControllerLogEnabled);
    EXPECT_EQ(Form.FControllerLogFileName, FDir.File("panel20261207.log"));
    ReadWithLogName(FDir.File("panel"));
    EXPECT_EQ(Form.FControllerLogFileName, FDir.File("panel20261207.log"));
    ReadWithLogName(FDir.File("panel.v2.log"));
    EXPECT_EQ(Form.FControllerLogFileName, FDir.File("panel.v220261207.log"));
    ReadWithLogName(FDir.Path());
    EXPECT_EQ(Form.FControllerLogFileName, FDir.File("20261207.log"));
}

TEST_F(MainFormLogsTest, DeviceRootComesFromTheLinuxSection) {
    Form.ReadIniFile();
    EXPECT_EQ(FDevices.Root, "/");
    Ini("[linux]\ndeviceroot = /tmp/emulated\n");
    Form.ReadIniFile();
    EXPECT_EQ(Form.FDeviceRoot, "/tmp/emulated");
    EXPECT_EQ(FDevices.Root, "/tmp/emulated");
}

TEST_F(MainFormLogsTest, ControllerLogLinesCarryStampMarkerAndCrLf) {
    ReadWithLogName(FDir.File("c.log"));
    Form.AddOutControllerLog("VERSION?");
    FLoopFake.Advance(17);
    Form.AddInpControllerLog("Main ver=5.1.10.6");
    Form.AddOutControllerLog("");
    Form.AddInpControllerLog("");
    EXPECT_EQ(FDir.Read("c20261207.log"),
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
    ReadWithLogName(FDir.File("c.log"));
    Form.AddInpControllerLog(Ansi("Ошибка"));
    EXPECT_EQ(FDir.Read("c20261207.log"), "2026-12-07 04:35:00.000 IN:  \xCE\xF8\xE8\xE1\xEA\xE0\r\n");
}

TEST_F(MainFormLogsTest, VanishedLogFolderCostsOneErrorLinePerControllerLine) {
    test::TempDir logs;
    Ini("[ProgrammSet]\nControllerLogFileName=" + logs.File("c.log") + "\n");
    Form.ReadIniFile();
    const std::string folder = logs.Path();
    ASSERT_TRUE(Form.FControllerLogEnabled);
    std::filesystem::remove_all(folder);
    Form.AddOutControllerLog("VERSION?");
    Form.AddInpControllerLog("OK");
    const std::string errors = FDir.Read("ErrLog.txt");
    EXPECT_NE(errors.find("TZorvGSMDemoMainForm.AddOutControllerLog. Exception EOSError."), std::string::npos);
    EXPECT_NE(errors.find("TZorvGSMDemoMainForm.AddInpControllerLog. Exception EOSError."), std::string::npos);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2);
}

TEST_F(MainFormLogsTest, MessageBoxHasTheProgramTitleAndTheGivenFlags) {
    Form.ShowMessageBox("text", 16);
    ASSERT_EQ(FViewFake.MessageBoxes.size(), 1u);
    EXPECT_EQ(FViewFake.MessageBoxes[0].Title, Ansi("Зорв GSM: демонстрация работы."));
    EXPECT_EQ(FViewFake.MessageBoxes[0].Flags, 16u);
}

TEST_F(MainFormLogsTest, ApplicationExceptionsAreLoggedOnly) {
    Form.OnApplicationException(std::runtime_error("boom"));
    EXPECT_NE(FDir.Read("ErrLog.txt").find(
                  "TZorvGSMDemoMainForm.OnApplicationException. Exception Exception. Exception message: boom\r\n"),
              std::string::npos);
    EXPECT_TRUE(FViewFake.MessageBoxes.empty());
}

}  // namespace
}  // namespace zorv
