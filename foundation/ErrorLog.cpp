#include "foundation/ErrorLog.h"

#include <cstdio>
#include <mutex>
#include <utility>

#include "foundation/Exceptions.h"
#include "foundation/FilePaths.h"

namespace zorv {
namespace {

// The error log is reached from the reader thread too; one writer at a time
// keeps every line whole, and the open log is changed under the same lock.
std::mutex& ErrorLogMutex() {
    static std::mutex m;
    return m;
}

TErrorLog* OpenLog = nullptr;

}  // namespace

TErrorLog::TErrorLog(std::string FileName, TClock Clock) : FFileName(std::move(FileName)), FClock(std::move(Clock)) {
    std::lock_guard<std::mutex> lock(ErrorLogMutex());
    FPrevious = OpenLog;
    OpenLog = this;
}

TErrorLog::~TErrorLog() {
    std::lock_guard<std::mutex> lock(ErrorLogMutex());
    // Logs close in reverse order as a rule; one closed out of turn leaves the chain whole.
    for (TErrorLog** link = &OpenLog; *link; link = &(*link)->FPrevious) {
        if (*link == this) {
            *link = FPrevious;
            break;
        }
    }
}

std::string ErrorLogTimeStamp(const TLocalDateTime& now) {
    std::string stamp = FormatRegionalShortDate(now);
    if (now.Hour != 0 || now.Minute != 0 || now.Second != 0) stamp += " " + FormatRegionalLongTime(now);
    return stamp;
}

void AddErrorLog(const std::string& text) noexcept {
    try {
        std::lock_guard<std::mutex> lock(ErrorLogMutex());
        const TLocalDateTime now = OpenLog && OpenLog->FClock ? OpenLog->FClock() : SystemLocalNow();
        const std::string line = ErrorLogTimeStamp(now) + ": " + text + "\r\n";
        const std::string fileName = OpenLog ? OpenLog->FFileName : std::string("ErrLog.txt");
        // "ab" appends, creating the file when it is missing.
        std::FILE* file = OpenFile(fileName, "ab");
        if (!file) return;
        std::fwrite(line.data(), 1, line.size(), file);
        std::fflush(file);
        std::fclose(file);
    } catch (...) {
        // A lost error-log line must never disturb the caller.
    }
}

void AddExceptionLog(const std::exception& e, const std::string& operation) noexcept {
    try {
        AddErrorLog(operation + ". Exception " + ExceptionClassName(e) + ". Exception message: " + e.what());
    } catch (...) {
    }
}

void AddUnknownExceptionLog(const std::string& operation) noexcept {
    try {
        AddErrorLog(operation + ". Exception Exception. Exception message: unknown exception");
    } catch (...) {
    }
}

}  // namespace zorv
