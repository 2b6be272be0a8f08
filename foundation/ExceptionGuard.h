#pragma once
// Every operation of the program runs its body inside this guard: an exception
// that escapes is written to the error log under the operation's qualified
// name ("TZorvGSMDemoMainForm.SendCommand") and the operation returns normally.
#include <exception>
#include <utility>

#include "foundation/CommonUtils.h"

namespace zorv {

// Returns true when the body ran to its end.
template <class Body>
bool Guarded(const char* operation, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (const std::exception& e) {
        AddExceptionLog(e, operation);
    } catch (...) {
        AddUnknownExceptionLog(operation);
    }
    return false;
}

}  // namespace zorv
