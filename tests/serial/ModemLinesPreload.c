/* A test aid loaded into Wine's Unix side (LD_PRELOAD), never into the program.
 * Wine reads a COM port's modem lines on every WaitCommEvent and ends the wait
 * with an error when the terminal refuses; a pseudo-terminal has no modem
 * lines. Here a terminal that refuses them gets lines that never change, so
 * the wait ends only for received bytes, as on a USB serial port. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <unistd.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

static int is_modem_request(unsigned long request) {
    return request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
}

int ioctl(int fd, unsigned long request, ...) {
    static ioctl_fn next;
    va_list args;
    void *argument;
    int result;
    int saved;

    va_start(args, request);
    argument = va_arg(args, void *);
    va_end(args);
    if (!next) next = (ioctl_fn)dlsym(RTLD_NEXT, "ioctl");
    result = next(fd, request, argument);
    if (result == 0 || !is_modem_request(request)) return result;
    saved = errno;
    if ((saved != EINVAL && saved != ENOTTY) || !isatty(fd)) return result;
    /* Carrier, DSR and CTS up, as a panel's USB port reports them. */
    if (request == TIOCMGET && argument) *(int *)argument = TIOCM_CAR | TIOCM_DSR | TIOCM_CTS;
    errno = saved;
    return 0;
}
