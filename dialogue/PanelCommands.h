#pragma once
// The commands the program sends to the panel, and the bytes that carry one.
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/LocalTime.h"

namespace zorv {

// The default access password of the panel.
extern const char kDefaultPassword[];

extern const char kVersionCommand[];       // "VERSION?": which firmware runs, and its build
extern const char kStartMainCommand[];     // "START_MAIN": the bootloader starts the main firmware
extern const char kSerialNumberCommand[];  // "KVELT_SN?": the panel's serial number
extern const char kIgnoreTamperCommand[];  // "ARM_IGNORE_TAMPER=1": the demonstration arms with an open case
extern const char kMoneyLittleCommand[];   // "ARM_ALLOWED=2": the balance runs low
extern const char kMoneyOffCommand[];      // "ARM_ALLOWED=3": the balance has run out
extern const char kMoneyFullCommand[];     // "ARM_ALLOWED=0": the account is paid

// "AUTH=" with the default password.
std::string LoginCommand();

// "TIME=" with the low 32 bits of Now's clock value, read as a signed number.
std::string TimeCommand(const TLocalDateTime& Now);

// True for "reset" in any case: the panel restarts and its port goes away.
bool RestartsPanel(const std::string& Command);

// What goes out on the line: the command, then CR LF.
std::vector<uint8_t> CommandBytes(const std::string& Command);

}  // namespace zorv
