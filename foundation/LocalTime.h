#pragma once
// The computer's local wall clock, broken into its fields.
#include <functional>
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

// The local time now, from the clock set with SetLocalClock or the system's.
TLocalDateTime LocalNow();

// Replaces the clock of LocalNow; an empty function restores the system's.
// Set it before other threads run, as tests do with virtual time.
void SetLocalClock(std::function<TLocalDateTime()> clock);

// The system's clock (platform file).
TLocalDateTime SystemLocalNow();

// The user's regional short-date and long-time formats (platform file).
std::string FormatRegionalShortDate(const TLocalDateTime& t);
std::string FormatRegionalLongTime(const TLocalDateTime& t);

// "yyyy-mm-dd hh:mm:ss.zzz", the colons being the regional time separator.
std::string FormatLogTimeStamp(const TLocalDateTime& t);

// "yyyymmdd".
std::string FormatCompactDate(const TLocalDateTime& t);

}  // namespace zorv
