// The controller log reader and the replayed panel over arbitrary logs and commands.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ControllerLogReader.h"
#include "ReplayPanel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    zorv::emu::ControllerLogReading reading = zorv::emu::ReadControllerLog(bytes);
    if (!reading.Error.empty() && (!reading.Exchanges.empty() || reading.Error.rfind("line ", 0) != 0))
        __builtin_trap();
    size_t replies = 0;
    for (const auto& exchange : reading.Exchanges) replies += exchange.Replies.size();
    if (replies + reading.Exchanges.size() > size) __builtin_trap();
    // The log's own commands, then a foreign one, go through the panel that replays it.
    zorv::emu::ReplayPanel panel(reading.Exchanges, false);
    for (const auto& exchange : reading.Exchanges) panel.Respond(exchange.Command);
    panel.Respond("TIME=1");
    if (panel.Departures().empty()) __builtin_trap();
    return 0;
}
