#pragma once
// What the program's rules send a panel: the lines of its two scripts, and the clock command.
#include <cstdint>
#include <string>
#include <vector>

#include "dialogue/CommandsList.h"
#include "foundation/Resources.h"

namespace zorv::test {

// The demonstration script (with this object number in its account line) or the factory one.
inline std::vector<std::string> ScriptLines(bool demo, int32_t objectNumber) {
    TCommandsList list(BuiltInResources());
    if (demo) {
        list.InitStartCmd();
        list.InitAccount(static_cast<uint32_t>(objectNumber));
    } else {
        list.InitEndCmd();
    }
    std::vector<std::string> lines;
    std::string command, reply;
    while (list.GetNextCommand(command, reply)) lines.push_back(command);
    return lines;
}

// "TIME=" and a decimal count of seconds, as the program sends the panel clock.
inline bool IsTimeCommand(const std::string& line) {
    if (line.compare(0, 5, "TIME=") != 0 || line.size() == 5) return false;
    const size_t digits = line[5] == '-' ? 6 : 5;
    return digits < line.size() && line.find_first_not_of("0123456789", digits) == std::string::npos;
}

}  // namespace zorv::test
