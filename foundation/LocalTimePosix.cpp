#include <sys/time.h>
#include <time.h>

#include <cstdio>

#include "foundation/LocalTime.h"

namespace zorv {

TLocalDateTime SystemLocalNow() {
    timeval now{};
    gettimeofday(&now, nullptr);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    TLocalDateTime t;
    t.Year = local.tm_year + 1900;
    t.Month = local.tm_mon + 1;
    t.Day = local.tm_mday;
    t.Hour = local.tm_hour;
    t.Minute = local.tm_min;
    t.Second = local.tm_sec;
    t.Millisecond = static_cast<int>(now.tv_usec / 1000);
    return t;
}

// The program's users work with Russian regional settings: dd.mm.yyyy and h:mm:ss.
std::string FormatRegionalShortDate(const TLocalDateTime& t) {
    char text[24];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", t.Day, t.Month, t.Year);
    return text;
}

std::string RegionalTimeSeparator() { return ":"; }

std::string FormatRegionalLongTime(const TLocalDateTime& t) {
    char text[24];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", t.Hour, t.Minute, t.Second);
    return text;
}

}  // namespace zorv
