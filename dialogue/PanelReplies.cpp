#include "dialogue/PanelReplies.h"

#include "dialogue/PanelCommands.h"
#include "foundation/CommonUtils.h"
#include "foundation/Cp1251.h"

namespace zorv {
namespace {

bool Contains(const std::string& Text, const std::string& Part) { return Text.find(Part) != std::string::npos; }

TReply Just(TReplyKind Kind) { return TReply{Kind, {}, -1}; }

TReply VersionReply(const std::string& Line) {
    if (Contains(Line, "Bootloader")) return Just(TReplyKind::Bootloader);
    if (!Contains(Line, "Main")) return Just(TReplyKind::Other);
    // "Main ver=5.1.10.6"; a line without "ver=" is read from its fourth character on.
    const size_t ver = Line.find("ver=");
    return TReply{TReplyKind::MainFirmware, ver != std::string::npos ? Line.substr(ver + 4) : Line.substr(3), -1};
}

TReply LoginReply(const std::string& Line) {
    if (Line == "OK") return Just(TReplyKind::LoginAccepted);
    if (Line == "UNKNOWN_COMMAND") return Just(TReplyKind::LoginUnknown);
    if (Contains(AnsiUpperCase(Line), "WRONG PASSWORD")) return Just(TReplyKind::WrongPassword);
    return Just(TReplyKind::Other);
}

TReply SerialNumberReply(const std::string& Line) {
    static const std::string kKey = "KVELT_SN=";
    const size_t key = Line.find(kKey);
    if (key == std::string::npos) return Just(TReplyKind::Other);
    const std::string value = Line.substr(key + kKey.size());
    if (value == "NOT SET") return Just(TReplyKind::SerialNotSet);
    int32_t number = 0;
    if (!TryStrToInt(value, number)) return Just(TReplyKind::SerialUnreadable);
    return TReply{TReplyKind::SerialNumber, {}, number};
}

TReply ScriptReply(const std::string& Line, const std::string& ExpectedReply) {
    const std::string upper = AnsiUpperCase(Line);
    const bool answered = Line == "OK" || Line == "UNKNOWN_COMMAND" ||
                          (!ExpectedReply.empty() && Contains(upper, AnsiUpperCase(ExpectedReply))) ||
                          Contains(upper, "VALUE ERROR");
    return Just(answered ? TReplyKind::ScriptAnswered : TReplyKind::Other);
}

}  // namespace

TAwaited AwaitedAfter(const std::string& Command) {
    if (Command == kVersionCommand) return TAwaited::Version;
    if (Contains(Command, "AUTH=")) return TAwaited::Login;
    if (Command == kSerialNumberCommand) return TAwaited::SerialNumber;
    return TAwaited::Nothing;
}

TReply ReadReply(const std::string& Line, const std::string& Command, TAwaited Awaited,
                 const std::string& ExpectedReply) {
    if (Line.empty()) return Just(TReplyKind::Other);
    if (AnsiUpperCase(Line) == AnsiUpperCase(Command)) return Just(TReplyKind::Echo);
    switch (Awaited) {
        case TAwaited::Version: return VersionReply(Line);
        case TAwaited::Login: return LoginReply(Line);
        case TAwaited::SerialNumber: return SerialNumberReply(Line);
        case TAwaited::ScriptReply: return ScriptReply(Line, ExpectedReply);
        case TAwaited::Nothing: break;
    }
    return Just(TReplyKind::Other);
}

std::string ReceivedLineText(const std::vector<uint8_t>& Bytes) {
    const std::string text(Bytes.begin(), Bytes.end());
    size_t begin = 0;
    while (begin < text.size() && (text[begin] == '\r' || text[begin] == '\n' || text[begin] == ' ')) ++begin;
    size_t end = text.size();
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
    return text.substr(begin, end - begin);
}

}  // namespace zorv
