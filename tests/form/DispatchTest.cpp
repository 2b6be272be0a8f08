#include "DialogueFixture.h"
#include "RowName.h"
#include "dialogue/CommandsList.h"

namespace zorv::test {
namespace {

using Lines = std::vector<std::string>;

// A connected panel with the factory script loaded, so that an advance sends "ftdef".
class Dispatch : public DialogueTest {
protected:
    void SetUp() override {
        Connect();
        Form.FMainFirmware = true;
        Form.FCommandsList->InitEndCmd();
    }
    size_t Before = 2;  // the empty line and "VERSION?"
};

struct ScriptReplyCase {
    const char* Command;
    const char* ExpectedReply;
    const char* Line;
    bool Advances;
};

void PrintTo(const ScriptReplyCase& c, std::ostream* os) { *os << c.Line << " to " << c.Command; }

class ScriptReply : public Dispatch, public ::testing::WithParamInterface<ScriptReplyCase> {};

TEST_P(ScriptReply, AdvancesTheScriptOnlyOnAnAnswer) {
    const ScriptReplyCase& c = GetParam();
    Form.FScriptRunning = true;
    Form.FCurrentCommand = c.Command;
    Form.FExpectedReply = c.ExpectedReply;
    Form.NewString(c.Line);
    EXPECT_EQ(Sent(Before), c.Advances ? Lines{"ftdef"} : Lines{}) << c.Line;
    EXPECT_EQ(Form.FSendCommandTimer->Enabled(), c.Advances);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScriptReply,
    ::testing::Values(ScriptReplyCase{"VOLUME=150", "VOLUME", "OK", true},
                      ScriptReplyCase{"VOLUME=150", "VOLUME", "ok", false},
                      ScriptReplyCase{"VOLUME=150", "VOLUME", "OK.", false},
                      ScriptReplyCase{"VOLUME=150", "VOLUME", "UNKNOWN_COMMAND", true},
                      ScriptReplyCase{"VOLUME=150", "VOLUME", "Unknown_Command", false},
                      ScriptReplyCase{"VOLUME=150", "VOLUME", "volume: 150", true},
                      ScriptReplyCase{"VOLUME=150", "VOLUME", "VOLUME=150 stored", true},
                      ScriptReplyCase{"VOLUME=150", "VOLUME", "Value Error: 3", true},
                      ScriptReplyCase{"VOLUME=150", "VOLUME", "VALUE ERROR", true},
                      ScriptReplyCase{"VOLUME=150", "VOLUME", "ERROR", false},
                      // The echo, in any letter case, is no answer.
                      ScriptReplyCase{"VOLUME=150", "VOLUME", "VOLUME=150", false},
                      ScriptReplyCase{"VOLUME=150", "VOLUME", "volume=150", false},
                      ScriptReplyCase{"ftdef", "", "FTDEF DONE", false}, ScriptReplyCase{"ftdef", "", "OK", true},
                      ScriptReplyCase{"ftdef", "", "FTDEF", false},
                      ScriptReplyCase{"VERSION?", "ver", "Main ver=5.1.10.6", true},
                      // A Cyrillic expected reply folds with the Windows-1251 table.
                      ScriptReplyCase{"\xC8\xCC\xDF=1", "\xC8\xCC\xDF", "\xE8\xEC\xFF: 1", true}),
    RowName());

TEST_F(Dispatch, LoginAcceptedReadsTheSerialNumber) {
    Form.FCurrentCommand = "AUTH=7653";
    Form.NewString("OK");
    EXPECT_TRUE(Form.FPasswordRequired);
    EXPECT_EQ(Sent(Before), (Lines{"KVELT_SN?"}));
    EXPECT_EQ(Form.FCurrentCommand, "KVELT_SN?");
}

TEST_F(Dispatch, FirmwareWithoutLoginStillReadsTheSerialNumber) {
    Form.FPasswordRequired = true;
    Form.FCurrentCommand = "AUTH=7653";
    Form.NewString("UNKNOWN_COMMAND");
    EXPECT_FALSE(Form.FPasswordRequired);
    EXPECT_EQ(Sent(Before), (Lines{"KVELT_SN?"}));
}

TEST_F(Dispatch, OtherLoginRepliesAreIgnored) {
    Form.FCurrentCommand = "AUTH=7653";
    for (const char* line : {"ok", "Unknown_command", "WRONG", "PASSWORD WRONG", "KVELT_SN=5"}) Form.NewString(line);
    EXPECT_EQ(SentCount(), Before);
    EXPECT_FALSE(Form.FPasswordRequired);
    EXPECT_EQ(Form.FSerialNumber, -1);
    FLoopFake.Advance(1000);
    EXPECT_TRUE(FViewFake.MessageBoxes.empty());
}

TEST_F(Dispatch, ScriptRepliesTakePrecedenceOverTheLogin) {
    Form.FScriptRunning = true;
    Form.FCurrentCommand = "AUTH=7653";
    Form.NewString("Error: wrong password");
    Form.NewString("KVELT_SN=77");
    FLoopFake.Advance(1000);
    EXPECT_TRUE(FViewFake.MessageBoxes.empty());
    EXPECT_EQ(Form.FSerialNumber, -1);
    EXPECT_EQ(SentCount(), Before);
}

TEST_F(Dispatch, SerialNumberIsTakenOnlyForTheSerialQuery) {
    Form.FCurrentCommand = "KVELT_SN";
    Form.NewString("KVELT_SN=77");
    EXPECT_EQ(Form.FSerialNumber, -1);
    Form.FCurrentCommand = "KVELT_SN?";
    Form.NewString("kvelt_sn=77");
    Form.NewString("KVELT_SN 77");
    EXPECT_EQ(Form.FSerialNumber, -1);
    Form.NewString("SN: KVELT_SN=77");
    EXPECT_EQ(Form.FSerialNumber, 77);
    EXPECT_EQ(Form.FState, psConnected);
}

TEST_F(Dispatch, EmptyLineIsIgnoredEvenWhenTheCommandIsEmpty) {
    Form.FScriptRunning = true;
    Form.FCurrentCommand.clear();
    Form.NewString("");
    EXPECT_EQ(SentCount(), Before);
}

struct ResetCase {
    const char* Command;
    bool Restarts;
};

void PrintTo(const ResetCase& c, std::ostream* os) { *os << c.Command; }

class ResetRule : public DialogueTest, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(ResetRule, OnlyResetInAnyCaseDropsThePortAndStartsThePortCheck) {
    const ResetCase& c = GetParam();
    Connect();
    Form.FMainFirmware = true;
    Form.FScriptRunning = true;
    Form.FLoadDemoPending = true;
    Form.SendCommand(c.Command);
    EXPECT_EQ(FBackend.Written.back(), std::string(c.Command) + "\r\n");
    // The drop that "reset" causes is the panel's restart: the write stays pending, unreported.
    EXPECT_TRUE(Form.FLoadDemoPending);
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_EQ(FBackend.IsOpen(), !c.Restarts);
    EXPECT_EQ(Form.FCheckPortsTimer->Enabled(), c.Restarts);
    EXPECT_EQ(Form.FMainFirmware, !c.Restarts);
    EXPECT_EQ(Form.FScriptRunning, !c.Restarts);
    EXPECT_EQ(Form.FTestedPort, c.Restarts ? -1 : kPanelPort);
}

INSTANTIATE_TEST_SUITE_P(Commands, ResetRule,
                         ::testing::Values(ResetCase{"reset", true}, ResetCase{"Reset", true}, ResetCase{"RESET", true},
                                           ResetCase{"RESET_ALL", false}, ResetCase{" reset", false},
                                           ResetCase{"reset ", false}, ResetCase{"rese", false}),
                         RowName());

}  // namespace
}  // namespace zorv::test
