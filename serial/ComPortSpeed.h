#pragma once
// Line speeds outside the termios table (7200, 14400, 56000, 128000, 256000).
#include <cstdint>

namespace zorv {

// Sets both speeds of the open terminal Fd to BaudRate exactly; false when refused.
bool SetCustomSpeed(int Fd, uint32_t BaudRate);

}  // namespace zorv
