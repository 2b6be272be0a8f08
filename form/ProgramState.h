#pragma once
#include <cstdint>

namespace zorv {

// What the tool knows about the connected panel; the window shows one at a time.
enum TProgramState : uint8_t {
    psWaitConnect = 0,
    psWrongVersion = 1,
    psConnected = 2,
    psLoadDemo = 3,
    psDemoLoaded = 4,
    psMoneyLittle = 5,
    psMoneyOff = 6,
    psMoneyFull = 7,
    psLoadFtdef = 8,
};

}  // namespace zorv
