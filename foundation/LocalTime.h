#pragma once
// The computer's local wall clock, broken into its fields.
#include <string>

namespace zorv {

struct TLocalDateTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

// The system's clock (platform file). The program reads the time through its
// message loop's Now(), which tests run in virtual time.
TLocalDateTime SystemLocalNow();

// The user's regional short-date and long-time formats (platform file).
std::string FormatRegionalShortDate(const TLocalDateTime& t);
std::string FormatRegionalLongTime(const TLocalDateTime& t);

// The user's regional time separator (platform file): the Windows user's
// setting, ":" on Linux.
std::string RegionalTimeSeparator();

// "yyyy-mm-dd hh:mm:ss.zzz", the colons being TimeSeparator.
std::string FormatLogTimeStamp(const TLocalDateTime& t, const std::string& TimeSeparator);

// "yyyymmdd".
std::string FormatCompactDate(const TLocalDateTime& t);

}  // namespace zorv
