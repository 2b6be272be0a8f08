#include <random>

#include "DialogueFixture.h"
#include "dialogue/CommandsList.h"
#include "serial/ComPortUS.h"

namespace zorv::test {
namespace {

using Lines = std::vector<std::string>;

class BadInput : public DialogueTest {
protected:
    static std::string Noise(size_t size, unsigned seed) {
        std::mt19937 random(seed);
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
        return bytes;
    }

    // The observable state of the dialogue, to show that input changed none of it.
    struct Snapshot {
        TProgramState State;
        bool MainFirmware, ScriptRunning, PasswordRequired, Open;
        int32_t SerialNumber, ObjectNumber;
        std::string CurrentCommand;
        size_t Sent, Boxes;
        bool operator==(const Snapshot& o) const {
            return State == o.State && MainFirmware == o.MainFirmware && ScriptRunning == o.ScriptRunning &&
                   PasswordRequired == o.PasswordRequired && Open == o.Open && SerialNumber == o.SerialNumber &&
                   ObjectNumber == o.ObjectNumber && CurrentCommand == o.CurrentCommand && Sent == o.Sent &&
                   Boxes == o.Boxes;
        }
    };
    Snapshot Take() {
        FLoopFake.Advance(1000);  // let deferred steps fire
        return {Form.FState,        Form.FMainFirmware,   Form.FScriptRunning, Form.FPasswordRequired,
                FBackend.IsOpen(),  Form.FSerialNumber,   Form.FObjectNumber,  Form.FCurrentCommand,
                SentCount(),        FViewFake.MessageBoxes.size()};
    }
};

TEST_F(BadInput, BinaryNoiseChangesNothingInAnyPhase) {
    Connect();
    Snapshot before = Take();
    DeliverInPieces(Noise(65536, 1));
    EXPECT_TRUE(Take() == before) << "while asking for the version";

    Deliver("\rMain ver=5.1.10.6\r");
    FLoopFake.Advance(100);
    Deliver("OK\r");
    Deliver("KVELT_SN=123456\r");
    ASSERT_EQ(Form.FState, psConnected);
    before = Take();
    DeliverInPieces(Noise(65536, 2));
    EXPECT_TRUE(Take() == before) << "while connected";

    Form.FCommandsList->InitEndCmd();
    Form.OnEndDemoButtonClick();
    Form.FCommandsList->InitEndCmd();  // keeps the run going should noise ever advance it
    const size_t sent = SentCount();
    DeliverInPieces(Noise(65536, 3));
    EXPECT_EQ(SentCount(), sent) << "while a script runs";
    EXPECT_TRUE(Form.FScriptRunning);
}

TEST_F(BadInput, LineOfOneHundredKilobytesWithoutCrIsDroppedWhole) {
    Connect();
    DeliverInPieces(std::string(100 * 1024, 'M'));
    EXPECT_LE(LargestHeldLine, 65536u);
    DeliverInPieces("ain ver=5.1.10.6\r");  // would read as a Main line if the long line's tail were kept
    EXPECT_FALSE(Form.FMainFirmware);
    EXPECT_TRUE(LoggedReplies().empty());
    Deliver("Main ver=5.1.10.6\r");
    EXPECT_TRUE(Form.FMainFirmware);
    EXPECT_EQ(LoggedReplies(), (Lines{"Main ver=5.1.10.6"}));
}

TEST_F(BadInput, LongLineJustBelowTheLimitIsKept) {
    Connect();
    const std::string longLine = "Main ver=5.1.10.6" + std::string(60000, 'z');
    DeliverInPieces(longLine + "\r");
    EXPECT_EQ(LoggedReplies(), (Lines{longLine}));
    EXPECT_TRUE(Form.FMainFirmware);
}

TEST_F(BadInput, FloodOfCrIsOnlyEmptyLines) {
    Connect();
    const Snapshot before = Take();
    DeliverInPieces(std::string(200000, '\r'));
    EXPECT_TRUE(Take() == before);
    EXPECT_TRUE(LoggedReplies().empty());
    EXPECT_EQ(Form.FComPort->ReceivedBytes(), 0u);
}

TEST_F(BadInput, FloodOfLfIsHeldAsNothingAndTheNextReplyStillReads) {
    Connect();
    DeliverInPieces(std::string(200000, '\n'));
    EXPECT_EQ(LargestHeldLine, 0u);
    DeliverInPieces(std::string(50000, ' ') + "Main ver=5.1.10.6\r");
    EXPECT_TRUE(Form.FMainFirmware);
    EXPECT_EQ(LoggedReplies(), (Lines{"Main ver=5.1.10.6"}));
}

TEST_F(BadInput, FloodOfCrLfPairsAndBlankLines) {
    Identify();
    const Snapshot before = Take();
    std::string bytes;
    for (int i = 0; i < 20000; ++i) bytes += i % 2 ? "\r\n" : "  \t \r\n";
    DeliverInPieces(bytes);
    EXPECT_TRUE(Take() == before);
}

TEST_F(BadInput, RepliesInTheWrongCaseAreNotTaken) {
    Connect();
    Deliver("main ver=5.1.10.6\rMAIN VER=5.1.10.6\rBOOTLOADER\r");
    EXPECT_FALSE(Form.FMainFirmware);
    EXPECT_TRUE(FBackend.IsOpen());
    Deliver("Main ver=5.1.10.6\r");
    FLoopFake.Advance(100);
    Deliver("ok\rOk\r");
    EXPECT_EQ(Sent(2), (Lines{"AUTH=7653"}));
    Deliver("OK\r");
    Deliver("kvelt_sn=123\rKVELT_SN:123\r");
    EXPECT_EQ(Form.FSerialNumber, -1);
    EXPECT_EQ(Form.FState, psWaitConnect);
}

TEST_F(BadInput, RepliesToCommandsNeverSentAreIgnored) {
    Identify();
    Form.OnMoneyFullButtonClick();
    const Snapshot before = Take();
    Deliver("OK\rUNKNOWN_COMMAND\rKVELT_SN=999\rError: wrong password\rVALUE ERROR\r"
            "Bootloader\rMain ver=6.0.0.0\rARM_ALLOWED=0\rreset\r");
    EXPECT_TRUE(Take() == before);
    EXPECT_EQ(Form.FState, psMoneyFull);
    EXPECT_EQ(Form.FObjectNumber, 3456);
}

TEST_F(BadInput, RepliesBeforeAnyCommandOnAnUnsupportedPanelAreIgnored) {
    Connect();
    Deliver("Main ver=6.0.1.1\r");
    const Snapshot before = Take();
    Deliver("OK\rKVELT_SN=5\rError: wrong password\rUNKNOWN_COMMAND\r");
    EXPECT_TRUE(Take() == before);
    EXPECT_EQ(Form.FState, psWaitConnect);
}

TEST_F(BadInput, PanelThatEchoesEverythingIsIdentified) {
    Answer = [](const std::string& command) { return command.empty() ? Lines{} : Lines{command}; };
    Identify();
    EXPECT_EQ(Form.FState, psConnected);
    EXPECT_EQ(Sent(), (Lines{"", "VERSION?", "AUTH=7653", "KVELT_SN?"}));
}

}  // namespace
}  // namespace zorv::test
