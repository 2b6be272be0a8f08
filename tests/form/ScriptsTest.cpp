#include "DemoScript.h"
#include "DialogueFixture.h"
#include "RowName.h"
#include "dialogue/CommandsList.h"
#include "foundation/Cp1251.h"
#include "serial/ComPortUS.h"

namespace zorv::test {
namespace {

using Lines = std::vector<std::string>;

class Scripts : public DialogueTest {
protected:
    // The panel answers each line of a write, tells its serial number and restarts on "reset".
    void AnswerAsThePanel() {
        Answer = [](const std::string& command) {
            if (command == "KVELT_SN?") return Lines{"KVELT_SN=123456"};
            return command == "reset" ? Lines{} : Lines{"OK"};
        };
    }
    // Presses a write's button and runs the write up to the panel's restart.
    void WriteThrough(void (TZorvGSMDemoMainForm::*press)()) {
        (Form.*press)();
        FLoopFake.AdvanceUntil([&] { return !FBackend.IsOpen(); }, 10000);
    }
    // Records the virtual time and the state at which each line goes out.
    void RecordSends() {
        FBackend.OnWritten = [this, answer = FBackend.OnWritten](const std::string& block) {
            SendTimes.push_back(FLoopFake.ElapsedMs());
            StatesAtSend.push_back(Form.FState);
            answer(block);
        };
    }
    std::vector<uint64_t> SendTimes;
    std::vector<TProgramState> StatesAtSend;
};

TEST_F(Scripts, DemonstrationIsSentCommandByCommandOnThePanelsAnswers) {
    Identify("5.1.10.6", "123456");
    const size_t before = SentCount();
    AnswerAsThePanel();
    RecordSends();
    WriteThrough(&TZorvGSMDemoMainForm::OnStartDemoButtonClick);
    EXPECT_EQ(Sent(before), CommandTexts(DemoScriptCommands("3456")));
    for (TProgramState state : StatesAtSend) EXPECT_EQ(state, psLoadDemo);
    StatesAtSend.clear();
    EXPECT_EQ(Form.FState, psLoadDemo);
    EXPECT_TRUE(Form.FLoadDemoPending);
    EXPECT_FALSE(Form.FLoadFtdefPending);
    EXPECT_FALSE(Form.FScriptRunning);
    EXPECT_FALSE(Form.FMainFirmware);
    EXPECT_EQ(Form.FTestedPort, -1);
    EXPECT_TRUE(Form.FCheckPortsTimer->Enabled());
    EXPECT_TRUE(Form.FSendCommandTimer->Enabled());
    EXPECT_EQ(Form.FCurrentCommand, "reset");

    // The panel is back: once it has told the serial number it was written with, the
    // demonstration is completed.
    const size_t afterScript = SentCount();
    Connect();
    Deliver("Main ver=5.1.10.6\r");
    FLoopFake.Advance(10);
    // The clock starts at 2026-12-07 04:35:00.000, which is 1796618100.
    const std::string time = "TIME=" + std::to_string(1796618100u + SendTimes.back() / 1000);
    EXPECT_EQ(Sent(afterScript), (Lines{"", "VERSION?", "AUTH=7653", "KVELT_SN?", "ARM_IGNORE_TAMPER=1", time}));
    for (TProgramState state : StatesAtSend) EXPECT_EQ(state, psLoadDemo);
    EXPECT_EQ(Form.FState, psDemoLoaded);
    EXPECT_FALSE(Form.FLoadDemoPending);
    FLoopFake.Advance(60000);
    EXPECT_FALSE(Form.FSendCommandTimer->Enabled());
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(Scripts, ObjectNumberZeroGivesAccountZero) {
    Connect();
    Form.FMainFirmware = true;
    AnswerAsThePanel();
    WriteThrough(&TZorvGSMDemoMainForm::OnStartDemoButtonClick);
    EXPECT_EQ(Sent(2), CommandTexts(DemoScriptCommands("0")));
}

TEST_F(Scripts, SilentPanelGetsOneCommandEverySixtySeconds) {
    Identify();
    const size_t before = SentCount();
    RecordSends();
    Form.OnStartDemoButtonClick();
    FLoopFake.Advance(51ull * 60000);
    // "reset" restarts the panel: its port goes, and for the next minute nothing more is sent.
    Unplug();
    FLoopFake.Advance(60000);
    ASSERT_EQ(Sent(before), CommandTexts(DemoScriptCommands("3456")));
    ASSERT_EQ(SendTimes.size(), 52u);
    EXPECT_EQ(SendTimes.back() - SendTimes.front(), 51u * 60000u);
    for (size_t i = 1; i < SendTimes.size(); ++i) EXPECT_EQ(SendTimes[i] - SendTimes[i - 1], 60000u);
    EXPECT_FALSE(Form.FSendCommandTimer->Enabled());
    EXPECT_FALSE(Form.FScriptRunning);
    EXPECT_EQ(Form.FState, psLoadDemo);
}

TEST_F(Scripts, LateAnswerCountsForTheCurrentCommand) {
    Identify();
    const size_t before = SentCount();
    Form.OnStartDemoButtonClick();
    FLoopFake.Advance(60000);
    EXPECT_EQ(Sent(before), (Lines{"ftdef", "REFRESH_PART_STATE"}));
    FLoopFake.Advance(30000);
    Deliver("OK\r");  // the late answer to "ftdef"
    EXPECT_EQ(Sent(before), (Lines{"ftdef", "REFRESH_PART_STATE", "ACCOUNT=3456"}));
    // The watchdog counts anew from the command that just went out.
    FLoopFake.Advance(59999);
    EXPECT_EQ(SentCount(), before + 3);
    FLoopFake.Advance(1);
    EXPECT_EQ(SentCount(), before + 4);
}

TEST_F(Scripts, SecondPressSendsTheWholeScriptAgain) {
    Identify();
    const size_t before = SentCount();
    Form.OnStartDemoButtonClick();
    FLoopFake.Advance(2 * 60000);
    EXPECT_EQ(SentCount(), before + 3);
    AnswerAsThePanel();
    WriteThrough(&TZorvGSMDemoMainForm::OnStartDemoButtonClick);
    EXPECT_EQ(Sent(before + 3), CommandTexts(DemoScriptCommands("3456")));
}

TEST_F(Scripts, WriteCutOffBeforeResetIsAbandonedAndWrittenWholeOnTheNextPress) {
    Identify();
    Answer = [](const std::string& command) { return command == "STATEMAP=0,0,2" ? Lines{} : Lines{"OK"}; };
    Form.OnStartDemoButtonClick();
    ASSERT_TRUE(FLoopFake.AdvanceUntil([&] { return Form.FCurrentCommand == "STATEMAP=0,0,2"; }, 10000));
    Form.OnConnectButtonClick();  // as discovery does when the panel has gone
    EXPECT_FALSE(Form.FScriptRunning);
    EXPECT_FALSE(Form.FLoadDemoPending);
    EXPECT_FALSE(Form.FSendCommandTimer->Enabled());
    EXPECT_EQ(Form.FState, psWaitConnect);
    const std::string log = ErrorLog();
    EXPECT_NE(log.find("Demonstration settings write interrupted at \"STATEMAP=0,0,2\""), std::string::npos) << log;
    EXPECT_EQ(log.find("\r\n"), log.size() - 2) << log;
    FLoopFake.Advance(1);
    ASSERT_EQ(FViewFake.MessageBoxes.size(), 1u);
    EXPECT_EQ(FViewFake.MessageBoxes[0].Text, WriteInterruptedMessage());

    // Plugged in again: identified like any other panel, and the old script is not resumed.
    const size_t replug = SentCount();
    Identify();
    FLoopFake.Advance(3 * 60000);
    EXPECT_EQ(Sent(replug), (Lines{"", "VERSION?", "AUTH=7653", "KVELT_SN?"}));
    EXPECT_EQ(Form.FState, psConnected);

    const size_t again = SentCount();
    AnswerAsThePanel();
    WriteThrough(&TZorvGSMDemoMainForm::OnStartDemoButtonClick);
    EXPECT_EQ(Sent(again), CommandTexts(DemoScriptCommands("3456")));
    EXPECT_TRUE(Form.FLoadDemoPending);
    EXPECT_EQ(ErrorLog(), log);
}

TEST_F(Scripts, NothingIsWrittenOrLoggedAsSentWithoutAnOpenPort) {
    Identify();
    Form.OnStartDemoButtonClick();
    const size_t written = FBackend.Written.size();
    const std::string controllerLog = FDir.Read("controller.log");
    Form.FComPort->SetActive(false);
    FLoopFake.Advance(3 * 60000);
    EXPECT_EQ(FBackend.Written.size(), written);
    EXPECT_EQ(FDir.Read("controller.log"), controllerLog);
}

TEST_F(Scripts, FactorySettingsSendThreeCommandsAndComeBackConnected) {
    Identify();
    const size_t before = SentCount();
    Form.FState = psMoneyOff;
    AnswerAsThePanel();
    RecordSends();
    WriteThrough(&TZorvGSMDemoMainForm::OnEndDemoButtonClick);
    EXPECT_EQ(Sent(before), (Lines{"ftdef", "settings_save", "reset"}));
    for (TProgramState state : StatesAtSend) EXPECT_EQ(state, psLoadFtdef);
    EXPECT_TRUE(Form.FLoadFtdefPending);
    EXPECT_FALSE(Form.FLoadDemoPending);
    EXPECT_EQ(Form.FState, psLoadFtdef);

    const size_t afterScript = SentCount();
    Connect();
    Deliver("Main ver=5.1.10.6\r");
    // Connected once the panel told its serial number, after its answer to the login.
    EXPECT_EQ(Form.FState, psConnected);
    EXPECT_FALSE(Form.FLoadFtdefPending);
    EXPECT_EQ(Sent(afterScript), (Lines{"", "VERSION?", "AUTH=7653", "KVELT_SN?"}));
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_TRUE(FViewFake.MessageBoxes.empty());
}

struct BillingCase {
    void (TZorvGSMDemoMainForm::*Click)();
    const char* Command;
    TProgramState State;
};

void PrintTo(const BillingCase& c, std::ostream* os) { *os << c.Command; }

class Billing : public Scripts, public ::testing::WithParamInterface<BillingCase> {};

TEST_P(Billing, SendsOneLineAndSetsTheStateAtOnce) {
    Identify();
    Form.FState = psDemoLoaded;
    Form.FExpectedReply = "KEEP";
    const size_t before = FBackend.Written.size();
    (Form.*GetParam().Click)();
    ASSERT_EQ(FBackend.Written.size(), before + 1);
    EXPECT_EQ(FBackend.Written.back(), std::string(GetParam().Command) + "\r\n");
    EXPECT_EQ(Form.FState, GetParam().State);
    EXPECT_EQ(Form.FCurrentCommand, GetParam().Command);
    EXPECT_EQ(Form.FExpectedReply, "KEEP");
    EXPECT_FALSE(Form.FScriptRunning);
    EXPECT_FALSE(Form.FSendCommandTimer->Enabled());
    Deliver("ERROR\rOK\r");
    FLoopFake.Advance(120000);
    EXPECT_EQ(FBackend.Written.size(), before + 1);
    EXPECT_EQ(Form.FState, GetParam().State);
}

INSTANTIATE_TEST_SUITE_P(Buttons, Billing,
                         ::testing::Values(BillingCase{&TZorvGSMDemoMainForm::OnMoneyLittleButtonClick, "ARM_ALLOWED=2",
                                                       psMoneyLittle},
                                           BillingCase{&TZorvGSMDemoMainForm::OnMoneyOffButtonClick, "ARM_ALLOWED=3",
                                                       psMoneyOff},
                                           BillingCase{&TZorvGSMDemoMainForm::OnMoneyFullButtonClick, "ARM_ALLOWED=0",
                                                       psMoneyFull}),
                         RowName());

TEST_F(Scripts, EmptyDemonstrationScriptEndsTheProgram) {
    FResources.Texts["ZORVGSMDEMOSTARTCMD"] = "";
    Identify();
    const size_t before = SentCount();
    Form.OnStartDemoButtonClick();
    ASSERT_EQ(FViewFake.MessageBoxes.size(), 1u);
    EXPECT_EQ(FViewFake.MessageBoxes[0].Text, Ansi("Нет комманд для запуска демо режима"));
    EXPECT_EQ(FViewFake.MessageBoxes[0].Flags, 16u);
    EXPECT_EQ(FViewFake.CloseCount, 1);
    EXPECT_EQ(SentCount(), before);
    EXPECT_EQ(Form.FState, psConnected);
    EXPECT_FALSE(Form.FScriptRunning);
    EXPECT_FALSE(Form.FLoadDemoPending);
}

TEST_F(Scripts, EmptyFactoryScriptDoesNothing) {
    FResources.Texts["ZORVGSMDEMOENCMD"] = "";
    Identify();
    const size_t before = SentCount();
    Form.OnEndDemoButtonClick();
    EXPECT_EQ(SentCount(), before);
    EXPECT_EQ(Form.FState, psConnected);
    EXPECT_FALSE(Form.FLoadFtdefPending);
    EXPECT_TRUE(FViewFake.MessageBoxes.empty());
    EXPECT_EQ(FViewFake.CloseCount, 0);
}

TEST_F(Scripts, ScriptOfBlankLinesEndsTheRunAtOnce) {
    FResources.Texts["ZORVGSMDEMOSTARTCMD"] = "\n  \n\t\n";
    Identify();
    const size_t before = SentCount();
    Form.OnStartDemoButtonClick();
    EXPECT_EQ(SentCount(), before);
    EXPECT_FALSE(Form.FScriptRunning);
    EXPECT_FALSE(Form.FSendCommandTimer->Enabled());
    EXPECT_EQ(Form.FState, psLoadDemo);
}

}  // namespace
}  // namespace zorv::test
