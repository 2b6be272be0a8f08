#include "DialogueFixture.h"
#include "RowName.h"
#include "serial/ComPortUS.h"

namespace zorv::test {
namespace {

using Lines = std::vector<std::string>;

struct TextCase {
    std::string Bytes;
    std::string Text;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.Bytes); }

class Bytes2StringTest : public DialogueTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(Bytes2StringTest, StripsLineBreaksAndBlanksAtTheHeadAndControlsAtTheTail) {
    const std::vector<uint8_t> bytes(GetParam().Bytes.begin(), GetParam().Bytes.end());
    EXPECT_EQ(Form.Bytes2String(bytes), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Bytes2StringTest,
    ::testing::Values(TextCase{"OK\r", "OK"}, TextCase{"\nOK\r", "OK"}, TextCase{"\r\n  A B \t\r", "A B"},
                      TextCase{"\tX\r", "\tX"}, TextCase{"", ""}, TextCase{" \r", ""}, TextCase{"\n\n\n", ""},
                      TextCase{std::string("\0OK\x01\r", 5), std::string("\0OK", 3)},
                      TextCase{"\xFF\xC0\r", "\xFF\xC0"}, TextCase{" \n\r\x7F\r", "\x7F"}),
    RowName());

// Lines of many lengths, some longer than the smaller rings, none naming a firmware.
Lines SampleLines(size_t count) {
    Lines lines;
    for (size_t i = 0; i < count; ++i) {
        std::string text = "L" + std::to_string(i) + ":";
        text += std::string((i * 7) % 45, static_cast<char>('a' + i % 26));
        lines.push_back(text);
    }
    return lines;
}

struct RingCase {
    uint32_t RingSize;
    size_t ChunkSize;
};

void PrintTo(const RingCase& c, std::ostream* os) { *os << "ring " << c.RingSize << " chunk " << c.ChunkSize; }

class RingAssembly : public DialogueTest, public ::testing::WithParamInterface<RingCase> {};

TEST_P(RingAssembly, EveryLineComesOutOnceAndWhole) {
    Form.FComPort->SetInpBufSize(GetParam().RingSize);
    Connect();
    const Lines lines = SampleLines(GetParam().RingSize > 1000 ? 1600 : 120);
    std::string bytes;
    // CR alone or CR LF; the last line ends with CR alone, so that no byte waits for a next line.
    for (size_t i = 0; i < lines.size(); ++i) bytes += lines[i] + (i % 3 == 0 || i + 1 == lines.size() ? "\r" : "\r\n");
    DeliverInPieces(bytes, GetParam().ChunkSize);
    EXPECT_EQ(LoggedReplies(), lines);
    EXPECT_TRUE(Form.FLineBuffer.empty());
    EXPECT_EQ(Form.FLineLength, 0);
    EXPECT_EQ(Form.FComPort->ReceivedBytes(), 0u);
    EXPECT_EQ(SentCount(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Rings, RingAssembly,
                         ::testing::Values(RingCase{16, 1}, RingCase{16, 5}, RingCase{16, 16}, RingCase{17, 3},
                                           RingCase{64, 64}, RingCase{32768, 4096}, RingCase{32768, 32768}),
                         RowName());

TEST_F(DialogueTest, ReplyInPiecesOverSeveralNotificationsIsOneLine) {
    Connect();
    Deliver("Ma");
    Deliver("in ver=5.1");
    Deliver(".10.6");
    EXPECT_FALSE(Form.FMainFirmware);
    Deliver("\r\n");
    EXPECT_TRUE(Form.FMainFirmware);
    EXPECT_EQ(Form.FFirmwareVersion, "5.1.10.6");
    EXPECT_EQ(LoggedReplies(), (Lines{"Main ver=5.1.10.6"}));
}

TEST_F(DialogueTest, IdentificationWithEveryReplySplitAtEveryByte) {
    Connect();
    const auto byteByByte = [this](const std::string& reply) {
        for (char c : reply) Deliver(std::string(1, c));
    };
    byteByByte("Main ver=5.1.10.6\r\n");
    FLoopFake.Advance(100);
    byteByByte("OK\r\n");
    byteByByte("KVELT_SN=123456\r\n");
    EXPECT_EQ(Sent(), (Lines{"", "VERSION?", "AUTH=7653", "KVELT_SN?"}));
    EXPECT_EQ(Form.FState, psConnected);
    EXPECT_EQ(Form.FObjectNumber, 3456);
}

TEST_F(DialogueTest, LineEndingExactlyAtTheRingsEndAndTheNextFromItsStart) {
    Form.FComPort->SetInpBufSize(16);
    Connect();
    Deliver("0123456789ABCDE\r");
    EXPECT_EQ(Form.FComPort->StartInInpBuf() % 16, 0u);
    Deliver("\nXY\r");
    EXPECT_EQ(LoggedReplies(), (Lines{"0123456789ABCDE", "XY"}));
}

TEST_F(DialogueTest, LineAcrossTheEndOfTheFullSizeRingIsJoined) {
    Connect();
    const uint32_t size = Form.FComPort->InpBufSize();
    ASSERT_EQ(size, 32768u);
    const std::string filler(size - 6, 'f');
    Deliver(filler + "\r");
    Deliver("Main ver=5.1.10.6\r");  // 5 bytes before the end, the rest from index 0
    EXPECT_EQ(LoggedReplies(), (Lines{filler, "Main ver=5.1.10.6"}));
    EXPECT_TRUE(Form.FMainFirmware);
    EXPECT_EQ(Form.FFirmwareVersion, "5.1.10.6");
}

TEST_F(DialogueTest, EmptyLinesLeaveNoTraceInTheControllerLog) {
    Connect();
    Deliver("\r\n\r\n   \r\n\t\t\r");
    EXPECT_TRUE(LoggedReplies().empty());
    EXPECT_EQ(FDir.Read("controller.log").find("IN:"), std::string::npos);
}

}  // namespace
}  // namespace zorv::test
