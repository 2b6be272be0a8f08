#pragma once
// The panel clock value of the "TIME=" command: whole seconds from
// 1970-01-01 00:00:00 to the computer's local wall-clock reading, the local
// time counted as if it were UTC (proleptic Gregorian calendar).
#include <cstdint>

#include "foundation/LocalTime.h"

namespace zorv {

// The fields of a Windows SYSTEMTIME record, kept portable.
struct TSystemTime {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0;
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;
};

// The reading broken into a record with day of week 0. A reading that is not a
// valid date and time after 1899-12-30 00:00:00.000 gives an all-zero record.
TSystemTime DecodeToSystemTime(const TLocalDateTime& DateTime);

// Seconds from 1970-01-01 00:00:00 to the record, in unsigned 64-bit arithmetic
// as a file-time count would give them. A record outside 1601..30827 or with a
// field out of range is logged as a failure and gives 0.
uint64_t Time2CmlUInt64(const TSystemTime& Time);

}  // namespace zorv
