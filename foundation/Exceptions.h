#pragma once
// The program's exception hierarchy. Every guard logs the class name and the
// message of what it caught, so each class names itself as the log shows it.
#include <stdexcept>
#include <string>

namespace zorv {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    virtual const char* ClassName() const noexcept { return "Exception"; }
};

// An index or a length outside what an operation accepts.
class ERangeError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "ERangeError"; }
};

// A text that does not convert to a number.
class EConvertError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EConvertError"; }
};

// A failed call into the operating system; the message is the system's own text.
class EOSError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EOSError"; }
};

// The class name that the error log shows for any caught exception.
const char* ExceptionClassName(const std::exception& e) noexcept;

}  // namespace zorv
