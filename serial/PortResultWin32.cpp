#include "serial/PortResult.h"

#include <windows.h>

namespace zorv {

TPortOutcome PortOutcomeOf(uint32_t Code) {
    switch (Code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_DEVICE_NOT_CONNECTED:
            return poGone;
        // A COM port that another program holds answers "access denied".
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return poBusy;
        default:
            return poFailed;
    }
}

std::string SystemErrorText(uint32_t Code) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, Code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length != 0 && text ? std::string(text, length) : std::string();
    if (text) LocalFree(text);
    while (!message.empty() && (static_cast<unsigned char>(message.back()) <= 32 || message.back() == '.'))
        message.pop_back();
    return message;
}

std::string PortPathText(const std::string& Path) { return Path; }

}  // namespace zorv
