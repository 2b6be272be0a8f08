#include "dialogue/PanelCommands.h"

#include "dialogue/CMLEncode.h"
#include "foundation/Cp1251.h"

namespace zorv {

const char kDefaultPassword[] = "7653";
const char kVersionCommand[] = "VERSION?";
const char kStartMainCommand[] = "START_MAIN";
const char kSerialNumberCommand[] = "KVELT_SN?";
const char kIgnoreTamperCommand[] = "ARM_IGNORE_TAMPER=1";
const char kMoneyLittleCommand[] = "ARM_ALLOWED=2";
const char kMoneyOffCommand[] = "ARM_ALLOWED=3";
const char kMoneyFullCommand[] = "ARM_ALLOWED=0";

std::string LoginCommand() { return std::string("AUTH=") + kDefaultPassword; }

std::string TimeCommand(const TLocalDateTime& Now) {
    const uint64_t seconds = Time2CmlUInt64(DecodeToSystemTime(Now));
    return "TIME=" + std::to_string(static_cast<int32_t>(static_cast<uint32_t>(seconds)));
}

bool RestartsPanel(const std::string& Command) { return AnsiUpperCase(Command) == "RESET"; }

std::vector<uint8_t> CommandBytes(const std::string& Command) {
    std::vector<uint8_t> bytes(Command.begin(), Command.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
    return bytes;
}

}  // namespace zorv
