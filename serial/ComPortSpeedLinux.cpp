#include "serial/ComPortSpeed.h"

// termios2 lives in the kernel's headers, which clash with <termios.h>; hence this file of its own.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace zorv {

bool SetCustomSpeed(int Fd, uint32_t BaudRate) {
    struct termios2 t {};
    if (ioctl(Fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = BaudRate;
    t.c_ospeed = BaudRate;
    return ioctl(Fd, TCSETS2, &t) == 0;
}

}  // namespace zorv
