#include "serial/PortResult.h"

#include <cerrno>
#include <cstring>

#include "foundation/Cp1251.h"

namespace zorv {
namespace {

// strerror_r is the XSI one (an int) or the GNU one (the text, maybe not in the buffer).
[[maybe_unused]] const char* ErrorText(int, const char* Buffer) { return Buffer; }
[[maybe_unused]] const char* ErrorText(const char* Text, const char*) { return Text; }

}  // namespace

TPortOutcome PortOutcomeOf(uint32_t Code) {
    switch (Code) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
        case EIO:  // a tty whose device went away
            return poGone;
        case EBUSY:
        case EWOULDBLOCK:
            return poBusy;
        case EACCES:
        case EPERM:
            return poDenied;
        default:
            return poFailed;
    }
}

std::string SystemErrorText(uint32_t Code) {
    char buffer[256] = {0};
    // The text follows the user's locale, so it may be Russian in UTF-8.
    return Utf8ToCp1251(ErrorText(strerror_r(static_cast<int>(Code), buffer, sizeof buffer), buffer));
}

std::string PortPathText(const std::string& Path) { return Utf8ToCp1251(Path); }

}  // namespace zorv
