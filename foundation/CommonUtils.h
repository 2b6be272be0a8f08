#pragma once
// Program-wide helpers: the error log's writers (ErrorLog.h), the file-version
// reader, field extraction, the firmware version comparison and integer conversion.
#include <cstdint>
#include <string>

#include "foundation/ErrorLog.h"

namespace zorv {

// The Index-th field of S (counted from 1) between Delimiters; empty when absent.
// Throws ERangeError for an S longer than 255 characters.
std::string ExtractToken(const std::string& S, const std::string& Delimiter, uint8_t Index);

// The file version of an executable shortened to fields 1.2.4 ("1.20.0.48" -> "1.20.48"); empty when none.
std::string GetFileVersion(const std::string& FileName);

// Fields 1 and 2 of both texts are equal (a hardware family such as "5.1").
bool CheckHardVersion(const std::string& Reference, const std::string& Version);

// The results of CompareBuildVersion: how Version's build stands to Reference's.
constexpr int32_t kBuildLater = 0;
constexpr int32_t kBuildEarlier = 1;
constexpr int32_t kBuildSame = 2;
constexpr int32_t kBuildReferenceIncomplete = 3;
constexpr int32_t kBuildVersionIncomplete = 4;

// Compares fields 3 and 4 (the build).
int32_t CompareBuildVersion(const std::string& Reference, const std::string& Version);

// The usual integer conversion: optional blanks and sign, decimal, "$" or "0x" hexadecimal,
// within the signed 32-bit range. False when the text does not convert.
bool TryStrToInt(const std::string& text, int32_t& value);

}  // namespace zorv
