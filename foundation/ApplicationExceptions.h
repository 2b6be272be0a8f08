#pragma once
// The application's handler for exceptions that reach the message loop. The
// main window installs its own at start-up; the toolkit's application object
// passes every exception that escapes an event handler here, so none ends
// the program and no default error dialog is shown.
#include <exception>
#include <functional>
#include <utility>

#include "foundation/CommonUtils.h"
#include "foundation/Exceptions.h"

namespace zorv {

using TApplicationExceptionHandler = std::function<void(const std::exception&)>;

inline TApplicationExceptionHandler& ApplicationExceptionHandler() {
    static TApplicationExceptionHandler handler;
    return handler;
}

// User-interface thread only; an empty handler leaves the exceptions to the error log alone.
inline void SetApplicationExceptionHandler(TApplicationExceptionHandler Handler) {
    ApplicationExceptionHandler() = std::move(Handler);
}

// Never throws: a handler that fails itself is only logged.
inline void HandleApplicationException(const std::exception& E) noexcept {
    try {
        const TApplicationExceptionHandler& handler = ApplicationExceptionHandler();
        if (handler) {
            handler(E);
        } else {
            AddExceptionLog(E, "Application.HandleException");
        }
    } catch (const std::exception& nested) {
        AddExceptionLog(nested, "Application.HandleException");
    } catch (...) {
        AddUnknownExceptionLog("Application.HandleException");
    }
}

// For what is thrown that is not a standard exception.
inline void HandleUnknownApplicationException() noexcept {
    try {
        HandleApplicationException(Exception("unknown exception"));
    } catch (...) {
    }
}

}  // namespace zorv
