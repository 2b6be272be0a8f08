#include <windows.h>

#include "foundation/LocalTime.h"

namespace zorv {
namespace {

SYSTEMTIME ToSystemTime(const TLocalDateTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.Year);
    st.wMonth = static_cast<WORD>(t.Month);
    st.wDay = static_cast<WORD>(t.Day);
    st.wHour = static_cast<WORD>(t.Hour);
    st.wMinute = static_cast<WORD>(t.Minute);
    st.wSecond = static_cast<WORD>(t.Second);
    st.wMilliseconds = static_cast<WORD>(t.Millisecond);
    return st;
}

}  // namespace

TLocalDateTime SystemLocalNow() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return TLocalDateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

std::string FormatRegionalShortDate(const TLocalDateTime& t) {
    const SYSTEMTIME st = ToSystemTime(t);
    char text[80] = {};
    const int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, sizeof text);
    return n > 0 ? std::string(text) : std::string();
}

std::string FormatRegionalLongTime(const TLocalDateTime& t) {
    const SYSTEMTIME st = ToSystemTime(t);
    char text[80] = {};
    const int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, text, sizeof text);
    return n > 0 ? std::string(text) : std::string();
}

std::string RegionalTimeSeparator() {
    char text[8] = {};
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, text, sizeof text);
    return n > 1 ? std::string(text) : std::string(":");
}

}  // namespace zorv
