#include "foundation/LocalTime.h"

#include <cstdio>

namespace zorv {

std::string FormatLogTimeStamp(const TLocalDateTime& t) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.Year, t.Month, t.Day, t.Hour,
                  t.Minute, t.Second, t.Millisecond);
    return text;
}

std::string FormatCompactDate(const TLocalDateTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", t.Year, t.Month, t.Day);
    return text;
}

}  // namespace zorv
