#pragma once
// Why a port could or could not be opened: the few outcomes the program acts
// on, with the system's own code and text kept for the error log. Each
// platform translates its error codes, texts and paths in one place
// (PortResultPosix.cpp, PortResultWin32.cpp).
#include <cstdint>
#include <string>

namespace zorv {

enum TPortOutcome : uint8_t {
    poOpened,
    poGone,    // no such device: unplugged, or not a device at all
    poBusy,    // held by another program (on Windows also "access denied")
    poDenied,  // the user may not open it
    poFailed,  // anything else, such as a setting the port rejects
};

struct TPortResult {
    TPortOutcome Outcome = poOpened;
    uint32_t Code = 0;  // the system's error code (errno, GetLastError); 0 when opened
    std::string Text;   // the system's text for Code (Windows-1251)
    std::string Path;   // the device that was opened (Windows-1251)

    explicit operator bool() const { return Outcome == poOpened; }
};

// The failure to open the device at Path (in the system's own form) with the system's error Code.
TPortResult PortFailure(uint32_t Code, const std::string& Path);

// The system's text for an error code without a line break or final full stop (Windows-1251, platform file).
std::string SystemErrorText(uint32_t Code);

// What a system error code means for the port (platform file).
TPortOutcome PortOutcomeOf(uint32_t Code);

// A device path in the system's own form as the error log writes it, in Windows-1251 (platform file).
std::string PortPathText(const std::string& Path);

}  // namespace zorv
