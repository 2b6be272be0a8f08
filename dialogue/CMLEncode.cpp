#include "dialogue/CMLEncode.h"

#include "foundation/ExceptionGuard.h"
#include "foundation/Exceptions.h"

namespace zorv {
namespace {

constexpr uint64_t kIntervalsPerSecond = 10000000;      // 100-nanosecond intervals
constexpr uint64_t kFileTimeAt1970 = 116444736000000000;  // intervals from 1601-01-01 to 1970-01-01
constexpr int64_t kDaysFrom1601To1970 = 134774;

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar
// (negative before it), counted in 400-year eras so that no table is needed.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

bool IsValidReading(const TLocalDateTime& t) {
    return t.Year >= 1 && t.Year <= 9999 && t.Month >= 1 && t.Month <= 12 && t.Day >= 1 &&
           t.Day <= DaysInMonth(t.Year, t.Month) && t.Hour >= 0 && t.Hour <= 23 && t.Minute >= 0 &&
           t.Minute <= 59 && t.Second >= 0 && t.Second <= 59 && t.Millisecond >= 0 && t.Millisecond <= 999;
}

bool IsValidSystemTime(const TSystemTime& t) {
    return t.wYear >= 1601 && t.wYear <= 30827 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
           t.wDay <= DaysInMonth(t.wYear, t.wMonth) && t.wHour <= 23 && t.wMinute <= 59 && t.wSecond <= 59 &&
           t.wMilliseconds <= 999;
}

}  // namespace

TSystemTime DecodeToSystemTime(const TLocalDateTime& DateTime) {
    TSystemTime result;
    if (!IsValidReading(DateTime)) return result;
    // Date-time values count from 1899-12-30; that moment and anything earlier are not above 0.
    const TLocalDateTime& t = DateTime;
    const int64_t days = DaysFromCivil(t.Year, static_cast<unsigned>(t.Month), static_cast<unsigned>(t.Day));
    const int64_t zero = DaysFromCivil(1899, 12, 30);
    const bool afterZero = days > zero || (days == zero && (t.Hour | t.Minute | t.Second | t.Millisecond) != 0);
    if (!afterZero) return result;
    result.wYear = static_cast<uint16_t>(t.Year);
    result.wMonth = static_cast<uint16_t>(t.Month);
    result.wDay = static_cast<uint16_t>(t.Day);
    result.wHour = static_cast<uint16_t>(t.Hour);
    result.wMinute = static_cast<uint16_t>(t.Minute);
    result.wSecond = static_cast<uint16_t>(t.Second);
    result.wMilliseconds = static_cast<uint16_t>(t.Millisecond);
    return result;
}

uint64_t Time2CmlUInt64(const TSystemTime& Time) {
    uint64_t seconds = 0;
    Guarded("CMLEncode.Time2CmlUInt64", [&] {
        if (!IsValidSystemTime(Time)) throw EConvertError("Invalid system time");
        const uint64_t days = static_cast<uint64_t>(DaysFromCivil(Time.wYear, Time.wMonth, Time.wDay) + kDaysFrom1601To1970);
        const uint64_t secondsOfDay = Time.wHour * 3600u + Time.wMinute * 60u + Time.wSecond;
        const uint64_t fileTime =
            (days * 86400 + secondsOfDay) * kIntervalsPerSecond + Time.wMilliseconds * 10000ull;
        // Unsigned all the way, as the file-time arithmetic it stands for: earlier than 1970 wraps.
        seconds = (fileTime - kFileTimeAt1970) / 10000 / 1000;
    });
    return seconds;
}

}  // namespace zorv
