#pragma once
// The program's error log: the file that every thread and every guarded
// operation appends its lines to. The program's main opens it for the run
// with the clock of its message loop; while none is open, lines go to
// "ErrLog.txt" in the current folder, stamped by the system's clock.
#include <exception>
#include <functional>
#include <string>

#include "foundation/LocalTime.h"

namespace zorv {

class TErrorLog {
public:
    using TClock = std::function<TLocalDateTime()>;

    // Becomes the log the writers below append to; FileName is a path (FilePaths.h),
    // Clock is called from any thread.
    TErrorLog(std::string FileName, TClock Clock);
    // The log open before this one is the program's again.
    ~TErrorLog();
    TErrorLog(const TErrorLog&) = delete;
    TErrorLog& operator=(const TErrorLog&) = delete;

private:
    friend void AddErrorLog(const std::string& text) noexcept;
    std::string FFileName;
    TClock FClock;
    TErrorLog* FPrevious;
};

// Error-log writers: one line each, opened, written, flushed and closed.
// Safe from any thread (writes are serialised); they never throw.
void AddExceptionLog(const std::exception& e, const std::string& operation) noexcept;
void AddUnknownExceptionLog(const std::string& operation) noexcept;
void AddErrorLog(const std::string& text) noexcept;

// The error-log time stamp: regional short date, and the long time unless it is 00:00:00.
std::string ErrorLogTimeStamp(const TLocalDateTime& now);

}  // namespace zorv
