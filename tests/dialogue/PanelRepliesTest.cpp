#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "dialogue/PanelCommands.h"
#include "dialogue/PanelReplies.h"

namespace zorv {
namespace {

struct ReplyRow {
    const char* Name;
    const char* Line;
    const char* Command;
    TAwaited Awaited;
    const char* ExpectedReply;
    TReplyKind Kind;
    const char* Version;
    int32_t SerialNumber;
};

const ReplyRow kReplies[] = {
    {"EchoInAnyCase", "version?", "VERSION?", TAwaited::Version, "", TReplyKind::Echo, "", -1},
    {"Bootloader", "Bootloader ver=1.2", "VERSION?", TAwaited::Version, "", TReplyKind::Bootloader, "", -1},
    {"MainWithBuild", "Main ver=5.1.10.6", "VERSION?", TAwaited::Version, "", TReplyKind::MainFirmware, "5.1.10.6", -1},
    {"MainWithoutVer", "Main5.2.1.1", "VERSION?", TAwaited::Version, "", TReplyKind::MainFirmware, "n5.2.1.1", -1},
    {"MainIsCaseSensitive", "MAIN VER=5.1.10.6", "VERSION?", TAwaited::Version, "", TReplyKind::Other, "", -1},
    {"LoginOk", "OK", "AUTH=7653", TAwaited::Login, "", TReplyKind::LoginAccepted, "", -1},
    {"LoginUnknown", "UNKNOWN_COMMAND", "AUTH=7653", TAwaited::Login, "", TReplyKind::LoginUnknown, "", -1},
    {"WrongPassword", "Error: wrong password", "AUTH=7653", TAwaited::Login, "", TReplyKind::WrongPassword, "", -1},
    {"LoginOkInLowerCase", "ok", "AUTH=7653", TAwaited::Login, "", TReplyKind::Other, "", -1},
    {"Serial", "KVELT_SN=123456", "KVELT_SN?", TAwaited::SerialNumber, "", TReplyKind::SerialNumber, "", 123456},
    {"SerialAfterNoise", "xxKVELT_SN=42", "KVELT_SN?", TAwaited::SerialNumber, "", TReplyKind::SerialNumber, "", 42},
    {"SerialNotSet", "KVELT_SN=NOT SET", "KVELT_SN?", TAwaited::SerialNumber, "", TReplyKind::SerialNotSet, "", -1},
    {"SerialNoNumber", "KVELT_SN=12ab", "KVELT_SN?", TAwaited::SerialNumber, "", TReplyKind::SerialUnreadable, "", -1},
    {"SerialWithoutKey", "123456", "KVELT_SN?", TAwaited::SerialNumber, "", TReplyKind::Other, "", -1},
    {"ScriptOk", "OK", "ACCOUNT=1", TAwaited::ScriptReply, "", TReplyKind::ScriptAnswered, "", -1},
    {"ScriptUnknown", "UNKNOWN_COMMAND", "X=1", TAwaited::ScriptReply, "", TReplyKind::ScriptAnswered, "", -1},
    {"ScriptValueError", "Value Error 3", "X=1", TAwaited::ScriptReply, "", TReplyKind::ScriptAnswered, "", -1},
    {"ScriptExpectedInAnyCase", "ftdef done", "FTDEF", TAwaited::ScriptReply, "FTDEF", TReplyKind::ScriptAnswered, "", -1},
    {"ScriptOtherLine", "STATUS=1", "X=1", TAwaited::ScriptReply, "", TReplyKind::Other, "", -1},
    {"ScriptEcho", "x=1", "X=1", TAwaited::ScriptReply, "", TReplyKind::Echo, "", -1},
    {"NothingAwaited", "OK", "ARM_ALLOWED=2", TAwaited::Nothing, "", TReplyKind::Other, "", -1},
    {"EmptyLine", "", "", TAwaited::ScriptReply, "", TReplyKind::Other, "", -1},
};

void PrintTo(const ReplyRow& Row, std::ostream* Out) { *Out << Row.Name; }

class Replies : public testing::TestWithParam<ReplyRow> {};

TEST_P(Replies, ReadAsTheCommandAwaits) {
    const ReplyRow& row = GetParam();
    const TReply reply = ReadReply(row.Line, row.Command, row.Awaited, row.ExpectedReply);
    EXPECT_EQ(reply.Kind, row.Kind);
    EXPECT_EQ(reply.Version, row.Version);
    EXPECT_EQ(reply.SerialNumber, row.SerialNumber);
}

INSTANTIATE_TEST_SUITE_P(Lines, Replies, testing::ValuesIn(kReplies),
                         [](const testing::TestParamInfo<ReplyRow>& info) { return std::string(info.param.Name); });

TEST(PanelWords, CommandsAwaitTheirRepliesAndLinesAreFramed) {
    EXPECT_EQ(AwaitedAfter(kVersionCommand), TAwaited::Version);
    EXPECT_EQ(AwaitedAfter(LoginCommand()), TAwaited::Login);
    EXPECT_EQ(AwaitedAfter(kSerialNumberCommand), TAwaited::SerialNumber);
    EXPECT_EQ(AwaitedAfter(kMoneyOffCommand), TAwaited::Nothing);
    EXPECT_TRUE(RestartsPanel("Reset"));
    EXPECT_FALSE(RestartsPanel("reset2"));
    EXPECT_EQ(CommandBytes("OK"), (std::vector<uint8_t>{'O', 'K', '\r', '\n'}));
    EXPECT_EQ(ReceivedLineText({'\n', ' ', 'O', 'K', ' ', '\t', 0}), "OK");
    EXPECT_EQ(ReceivedLineText({'\t', 'O', 'K'}), "\tOK");
}

}  // namespace
}  // namespace zorv
