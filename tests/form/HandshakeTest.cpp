#include "DialogueFixture.h"
#include "LogLines.h"
#include "RowName.h"
#include "serial/ComPortUS.h"

namespace zorv::test {
namespace {

using Lines = std::vector<std::string>;

class Handshake : public DialogueTest {};

TEST_F(Handshake, OpeningThePortSendsAnEmptyLineAndTheVersionQuery) {
    Connect();
    EXPECT_EQ(FBackend.WrittenText(), "\r\nVERSION?\r\n");
    EXPECT_EQ(Form.FCurrentCommand, "VERSION?");
    EXPECT_EQ(Form.FTestedPort, kPanelPort);
    EXPECT_FALSE(Form.FMainFirmware);
}

TEST_F(Handshake, BootloaderIsSwitchedToTheMainFirmwareAndThePortDropped) {
    Connect();
    Form.FState = psWrongVersion;
    FViewFake.Labels.clear();
    Deliver("Bootloader v1.2\r\nMain ver=5.1.10.6\r\n");
    EXPECT_EQ(Sent(), (Lines{"", "VERSION?", "START_MAIN"}));
    EXPECT_FALSE(FBackend.IsOpen());
    EXPECT_FALSE(Form.FComPort->Active());
    EXPECT_EQ(Form.FTestedPort, -1);
    EXPECT_FALSE(Form.FMainFirmware);  // the Main line behind it was dropped with the ring
    EXPECT_EQ(FLoopFake.SleptMs(), 5u);
    EXPECT_EQ(Form.FState, psWrongVersion);
    EXPECT_TRUE(FViewFake.Labels.empty());
}

TEST_F(Handshake, LineWithBothWordsCountsAsBootloader) {
    Connect();
    Deliver("Main Bootloader ver=1.0\r");
    EXPECT_EQ(Sent(2), (Lines{"START_MAIN"}));
    EXPECT_FALSE(Form.FMainFirmware);
}

TEST_F(Handshake, EchoAndUnrelatedLinesAreIgnored) {
    Connect();
    Deliver("VERSION?\r\nhello\r\nmain ver=5.1.10.6\r\nbootloader\r\n");
    EXPECT_EQ(SentCount(), 2u);
    EXPECT_FALSE(Form.FMainFirmware);
    Deliver("Main ver=5.1.10.6\r\n");
    EXPECT_TRUE(Form.FMainFirmware);
}

TEST_F(Handshake, EveryLineIsIgnoredUnlessTheVersionQueryIsCurrent) {
    Connect();
    Form.FCurrentCommand = "VERSION";
    Deliver("Main ver=5.1.10.6\rBootloader\r");
    EXPECT_FALSE(Form.FMainFirmware);
    EXPECT_EQ(SentCount(), 2u);
    EXPECT_TRUE(FBackend.IsOpen());
}

struct VersionCase {
    const char* Line;
    const char* Version;
};

void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.Line; }

class FirmwareVersionText : public DialogueTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(FirmwareVersionText, IsTheRestOfTheMainLine) {
    Connect();
    Deliver(std::string(GetParam().Line) + "\r");
    EXPECT_TRUE(Form.FMainFirmware);
    EXPECT_EQ(Form.FFirmwareVersion, GetParam().Version);
}

INSTANTIATE_TEST_SUITE_P(Lines, FirmwareVersionText,
                         ::testing::Values(VersionCase{"Main ver=5.1.10.6", "5.1.10.6"}, VersionCase{"Main", "n"},
                                           VersionCase{"Zorv Main fw ver=5.2.11.0 ver=x", "5.2.11.0 ver=x"},
                                           VersionCase{"Main ver=", ""}, VersionCase{"MainFirmware 7", "nFirmware 7"}),
                         RowName());

TEST_F(Handshake, MainFirmwareStartsTheIdentification) {
    Connect();
    Deliver("Main ver=5.1.10.6\r");
    EXPECT_EQ(Form.FState, psWaitConnect);
    EXPECT_FALSE(FViewFake.Labels.empty());  // the state was shown
    FLoopFake.Advance(99);
    EXPECT_EQ(SentCount(), 2u);
    FLoopFake.Advance(1);
    EXPECT_EQ(Sent(2), (Lines{"AUTH=7653"}));
}

TEST_F(Handshake, PendingDemonstrationIsCompletedAfterTheRestart) {
    Form.FLoadDemoPending = true;
    Form.FPasswordRequired = true;
    Form.FState = psLoadDemo;
    const uint64_t start = FLoopFake.ElapsedMs();
    Connect();
    Deliver("Main ver=5.1.10.6\r");
    // 10 ms of delivery, then 500 ms after the login and 50 ms after the tamper setting.
    EXPECT_EQ(Sent(2), (Lines{"AUTH=7653", "ARM_IGNORE_TAMPER=1", "TIME=1796618100"}));
    EXPECT_EQ(FLoopFake.SleptMs(), 550u);
    EXPECT_EQ(FLoopFake.ElapsedMs() - start, 10u + 550u + 50u);
    EXPECT_EQ(Form.FState, psDemoLoaded);
    EXPECT_FALSE(Form.FLoadDemoPending);
    EXPECT_EQ(Form.FCurrentCommand, "TIME=1796618100");
    // The panel's answers to the completion change nothing.
    Deliver("OK\rOK\rOK\r");
    EXPECT_EQ(SentCount(), 5u);
    EXPECT_EQ(Form.FState, psDemoLoaded);
}

TEST_F(Handshake, PendingDemonstrationWithoutLoginSendsTamperAndClockOnly) {
    Form.FLoadDemoPending = true;
    FLoopFake.SetStartTime({2038, 1, 19, 3, 14, 7, 950});
    Connect();
    Deliver("Main ver=5.2.10.7\r");
    // 60 ms after 03:14:07.950 the clock has passed the 32-bit signed range.
    EXPECT_EQ(Sent(2), (Lines{"ARM_IGNORE_TAMPER=1", "TIME=-2147483648"}));
    EXPECT_EQ(FLoopFake.SleptMs(), 50u);
    EXPECT_EQ(Form.FState, psDemoLoaded);
}

TEST_F(Handshake, PendingFactorySettingsRepeatTheLoginAndReadTheSerialAgain) {
    Form.FLoadFtdefPending = true;
    Form.FPasswordRequired = true;
    Form.FState = psLoadFtdef;
    Connect();
    Deliver("Main ver=5.1.10.6\r");
    EXPECT_EQ(Sent(2), (Lines{"AUTH=7653"}));
    EXPECT_EQ(FLoopFake.SleptMs(), 50u);
    EXPECT_EQ(Form.FState, psConnected);
    EXPECT_FALSE(Form.FLoadFtdefPending);
    Deliver("OK\r");
    EXPECT_EQ(Sent(3), (Lines{"KVELT_SN?"}));
    Deliver("KVELT_SN=4321\r");
    EXPECT_EQ(Form.FObjectNumber, 4321);
    EXPECT_EQ(Form.FState, psConnected);
}

TEST_F(Handshake, PendingFactorySettingsWithoutLoginOnlySetTheState) {
    Form.FLoadFtdefPending = true;
    Form.FState = psLoadFtdef;
    Connect();
    Deliver("Main ver=5.1.10.6\r");
    EXPECT_EQ(SentCount(), 2u);
    EXPECT_EQ(FLoopFake.SleptMs(), 0u);
    EXPECT_EQ(Form.FState, psConnected);
}

// The wait after "TIME=" handles messages, so the panel's answers arrive while the "Main" line
// is still being dispatched. Every line must come out once, whole and in order, even when the
// ring wraps meanwhile and a piece of a line is left waiting behind the answers.
TEST_F(Handshake, RepliesDuringTheClockWaitAreTakenOnceInOrder) {
    Form.FComPort->SetInpBufSize(64);
    Form.FLoadDemoPending = true;
    Form.FPasswordRequired = true;
    FBackend.OnWritten = [this](const std::string& block) {
        if (block.rfind("AUTH=", 0) == 0) FBackend.Receive("OK\r\n");
        if (block.rfind("ARM_IGNORE_TAMPER=1", 0) == 0) FBackend.Receive("ARM_IGNORE_TAMPER=1\r\nOK\r\n");
        if (block.rfind("TIME=", 0) == 0) FBackend.Receive("TIME SET\r\nOK\r\nPEND");
    };
    Connect();
    Deliver("Main ver=5.1.10.6\r\nA\r\n");
    Deliver("ING\r");
    EXPECT_EQ(LoggedReplies(),
              (Lines{"Main ver=5.1.10.6", "A", "OK", "ARM_IGNORE_TAMPER=1", "OK", "TIME SET", "OK", "PENDING"}));
    EXPECT_EQ(Form.FState, psDemoLoaded);
    EXPECT_EQ(SentCount(), 5u);
    EXPECT_TRUE(Form.FLineBuffer.empty());
    EXPECT_EQ(Form.FComPort->ReceivedBytes(), 0u);
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(Handshake, PieceOfALineFromAnEarlierConnectionIsDropped) {
    Form.FComPort->SetInpBufSize(32);
    Connect();
    Deliver(std::string(32, 'x'));  // reaches the ring's end without a CR, so it is held
    EXPECT_FALSE(Form.FLineBuffer.empty());
    Form.FComPort->SetActive(false);
    Connect();
    Deliver("Main ver=5.1.10.6\r");
    EXPECT_EQ(LoggedReplies(), (Lines{"Main ver=5.1.10.6"}));
    EXPECT_EQ(Form.FFirmwareVersion, "5.1.10.6");
}

// A write waiting for its panel's restart is completed only on the panel it began on,
// known by its serial number; otherwise it ends unfinished, logged and told once.
struct CompletionCase {
    const char* Name;
    bool Demo;
    const char* SerialReply;  // the restarted panel's answer to "KVELT_SN?"; nullptr: none
    Lines SentAfterMain;      // what goes to the panel after its "Main" answer, within 2 s
    TProgramState State;
    const char* ErrorLine;    // part of the one error-log line; "" for none
    std::string Message;      // what the user is told; "" for nothing
};

void PrintTo(const CompletionCase& c, std::ostream* os) { *os << c.Name; }

class Completion : public Handshake, public ::testing::WithParamInterface<CompletionCase> {};

TEST_P(Completion, HappensOnlyOnTheWrittenPanel) {
    const CompletionCase& c = GetParam();
    (c.Demo ? Form.FLoadDemoPending : Form.FLoadFtdefPending) = true;
    Form.FState = c.Demo ? psLoadDemo : psLoadFtdef;
    Form.FWriteSerialNumber = 123456;
    Answer = [&c](const std::string& command) {
        return command == "KVELT_SN?" && c.SerialReply ? Lines{c.SerialReply} : Lines{};
    };
    Connect();
    Deliver("Main ver=5.1.10.6\r");
    FLoopFake.Advance(2000);
    Lines sent = Sent(2);
    for (auto& line : sent)
        if (line.rfind("TIME=", 0) == 0) line = "TIME=";
    EXPECT_EQ(sent, c.SentAfterMain);
    EXPECT_EQ(Form.FState, c.State);
    EXPECT_FALSE(Form.FLoadDemoPending || Form.FLoadFtdefPending);
    const std::string log = ErrorLog();
    EXPECT_EQ(CountOf(log, "\r\n"), *c.ErrorLine ? 1u : 0u) << log;
    EXPECT_NE(log.find(c.ErrorLine), std::string::npos) << log;
    ASSERT_EQ(FViewFake.MessageBoxes.size(), c.Message.empty() ? 0u : 1u);
    if (!c.Message.empty()) {
        EXPECT_EQ(FViewFake.MessageBoxes[0].Text, c.Message);
    }
}

const Lines kTamperAndClock{"KVELT_SN?", "ARM_IGNORE_TAMPER=1", "TIME="};
// After another panel answered: identified afresh, its login 100 ms on, unanswered here.
const Lines kIdentifiedAfresh{"KVELT_SN?", "AUTH=7653"};
const char kOtherPanelLine[] = "settings write not completed: the panel with serial number 654321 answered after the "
                               "restart, not 123456";

INSTANTIATE_TEST_SUITE_P(
    Replies, Completion,
    ::testing::Values(
        CompletionCase{"SameDemonstrationPanel", true, "KVELT_SN=123456", kTamperAndClock, psDemoLoaded, "", ""},
        CompletionCase{"SameFactoryPanel", false, "KVELT_SN=123456", {"KVELT_SN?"}, psConnected, "", ""},
        CompletionCase{"OtherPanelAfterTheDemonstration", true, "KVELT_SN=654321", kIdentifiedAfresh,
                       psWaitConnect, kOtherPanelLine, OtherPanelMessage(123456, 654321)},
        CompletionCase{"OtherPanelAfterTheFactorySettings", false, "KVELT_SN=654321", kIdentifiedAfresh,
                       psWaitConnect, kOtherPanelLine, OtherPanelMessage(123456, 654321)},
        // Without a number to compare, the write is completed as it always was.
        CompletionCase{"SerialNotSet", true, "KVELT_SN=NOT SET", kTamperAndClock, psDemoLoaded, "", ""},
        CompletionCase{"NoSerialWithinTwoSeconds", true, nullptr, kTamperAndClock, psDemoLoaded, "", ""}),
    RowName());

}  // namespace
}  // namespace zorv::test
