#pragma once
// What the window shows in each program state, as its users are promised: the
// prefix of the state's caption keys and which of the five buttons work.
#include <string>

#include "form/ProgramState.h"

namespace zorv::test {

struct StateView {
    const char* Prefix;
    bool StartDemo, EndDemo, MoneyLittle, MoneyOff, MoneyFull;
};

// Indexed by TProgramState.
inline constexpr StateView kStateViews[] = {
    {"WaitConnect", false, false, false, false, false}, {"WrongVersion", false, false, false, false, false},
    {"Connected", true, true, false, false, false},     {"LoadDemo", false, false, false, false, false},
    {"DemoLoaded", false, true, true, true, false},     {"MoneyLittle", false, true, false, true, true},
    {"MoneyOff", false, true, true, false, true},       {"MoneyFull", false, true, true, true, false},
    {"LoadFtdef", false, false, false, false, false},
};

// The state as the program names it: psConnected.
inline std::string StateName(TProgramState state) {
    if (state >= sizeof kStateViews / sizeof kStateViews[0]) return "no state " + std::to_string(state);
    return std::string("ps") + kStateViews[state].Prefix;
}

}  // namespace zorv::test
