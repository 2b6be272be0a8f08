#pragma once
// What a line received from the panel means, given the command it may answer.
#include <cstdint>
#include <string>
#include <vector>

namespace zorv {

// What the panel's next line may answer.
enum class TAwaited : uint8_t {
    Nothing,
    Version,       // "VERSION?"
    Login,         // "AUTH="
    SerialNumber,  // "KVELT_SN?"
    ScriptReply,   // a command of a running script
};

// What a line after Command answers when no script runs.
TAwaited AwaitedAfter(const std::string& Command);

enum class TReplyKind : uint8_t {
    Other,             // answers nothing awaited
    Echo,              // the panel repeats the command, in any case
    Bootloader,        // the bootloader runs: it must start the main firmware
    MainFirmware,      // the main firmware runs; Version holds its build
    LoginAccepted,     // "OK": the panel asks for a password and took the default one
    LoginUnknown,      // "UNKNOWN_COMMAND": firmware without a login
    WrongPassword,     // the panel's password is not the default one
    SerialNumber,      // SerialNumber holds it
    SerialNotSet,      // "NOT SET"
    SerialUnreadable,  // a value that is no number
    ScriptAnswered,    // "OK", "UNKNOWN_COMMAND", a "value error" or the command's expected reply
};

struct TReply {
    TReplyKind Kind = TReplyKind::Other;
    std::string Version;
    int32_t SerialNumber = -1;
};

// Line, trimmed, read as an answer to Command; ExpectedReply is the script's for that command.
TReply ReadReply(const std::string& Line, const std::string& Command, TAwaited Awaited,
                 const std::string& ExpectedReply = std::string());

// A line's bytes as text: CR, LF and blanks cut from its front, control characters and blanks from its end.
std::string ReceivedLineText(const std::vector<uint8_t>& Bytes);

}  // namespace zorv
