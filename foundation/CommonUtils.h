#pragma once
// Program-wide helpers: the error log, the file-version reader, field
// extraction, the firmware version comparison and integer conversion.
#include <cstdint>
#include <exception>
#include <string>

namespace zorv {

// File name of the error log; while empty the log is "ErrLog.txt" in the current directory.
extern std::string ErrorLogPath;

// Error-log writers: one line each, opened, written, flushed and closed.
// Safe from any thread (writes are serialised); they never throw.
void AddExceptionLog(const std::exception& e, const std::string& operation) noexcept;
void AddUnknownExceptionLog(const std::string& operation) noexcept;
void AddErrorLog(const std::string& text) noexcept;

// The error-log time stamp: regional short date, and the long time unless it is 00:00:00.
std::string ErrorLogTimeStamp();

// The Index-th field of S (counted from 1) between Delimiters; empty when absent.
// Throws ERangeError for an S longer than 255 characters.
std::string ExtractToken(const std::string& S, const std::string& Delimiter, uint8_t Index);

// The file version of an executable shortened to fields 1.2.4 ("1.20.0.48" -> "1.20.48"); empty when none.
std::string GetFileVersion(const std::string& FileName);

// Fields 1 and 2 of both texts are equal (a hardware family such as "5.1").
bool CheckHardVersion(const std::string& Reference, const std::string& Version);

// Compares fields 3 and 4 (the build): 0 later, 1 earlier, 2 same, 3 reference incomplete,
// 4 version incomplete.
int32_t CompareBuildVersion(const std::string& Reference, const std::string& Version);

// The usual integer conversion: optional blanks and sign, decimal, "$" or "0x" hexadecimal,
// within the signed 32-bit range. False when the text does not convert.
bool TryStrToInt(const std::string& text, int32_t& value);

}  // namespace zorv
