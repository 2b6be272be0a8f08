#include "foundation/LocalTime.h"

#include <cstdio>

namespace zorv {

std::string FormatLogTimeStamp(const TLocalDateTime& t, const std::string& TimeSeparator) {
    char date[24], hour[16], minute[16], second[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d ", t.Year, t.Month, t.Day);
    std::snprintf(hour, sizeof hour, "%02d", t.Hour);
    std::snprintf(minute, sizeof minute, "%02d", t.Minute);
    std::snprintf(second, sizeof second, "%02d.%03d", t.Second, t.Millisecond);
    return std::string(date) + hour + TimeSeparator + minute + TimeSeparator + second;
}

std::string FormatCompactDate(const TLocalDateTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", t.Year, t.Month, t.Day);
    return text;
}

}  // namespace zorv
