#include <gtest/gtest.h>

#include "RowName.h"
#include "TempDir.h"
#include "dialogue/CMLEncode.h"
#include "foundation/CommonUtils.h"

namespace zorv {
namespace {

TLocalDateTime Reading(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    TLocalDateTime t;
    t.Year = year;
    t.Month = month;
    t.Day = day;
    t.Hour = hour;
    t.Minute = minute;
    t.Second = second;
    t.Millisecond = ms;
    return t;
}

uint64_t Seconds(const TLocalDateTime& t) { return Time2CmlUInt64(DecodeToSystemTime(t)); }

struct ClockCase {
    TLocalDateTime Local;
    uint64_t Seconds;
};

void PrintTo(const ClockCase& c, std::ostream* os) {
    const TLocalDateTime& t = c.Local;
    *os << t.Year << "-" << t.Month << "-" << t.Day << " " << t.Hour << ":" << t.Minute << ":" << t.Second << "." << t.Millisecond;
}

class PanelClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(PanelClockTest, CountsTheLocalReadingAsUtc) { EXPECT_EQ(Seconds(GetParam().Local), GetParam().Seconds); }

INSTANTIATE_TEST_SUITE_P(
    Readings, PanelClockTest,
    ::testing::Values(ClockCase{Reading(2026, 12, 7, 4, 35, 0), 1796618100u},
                      ClockCase{Reading(1970, 1, 1), 0u}, ClockCase{Reading(1970, 1, 1, 0, 0, 0, 999), 0u},
                      ClockCase{Reading(2000, 3, 1), 951868800u}, ClockCase{Reading(2024, 2, 29, 12), 1709208000u},
                      ClockCase{Reading(2038, 1, 19, 3, 14, 7), 2147483647u},
                      ClockCase{Reading(2038, 1, 19, 3, 14, 8), 2147483648u},
                      ClockCase{Reading(2106, 2, 7, 6, 28, 16), 4294967296u},
                      // Before 1970 the unsigned subtraction wraps, as the file-time arithmetic does.
                      ClockCase{Reading(1969, 12, 31, 23, 59, 59), 1844674407369u}),
    test::RowName());

TEST(PanelClock, FirstTimeOfTheRecordRangeWrapsBelow1970) {
    TSystemTime t;
    t.wYear = 1601;
    t.wMonth = 1;
    t.wDay = 1;
    EXPECT_EQ(Time2CmlUInt64(t), 1833029933770u);
}

TEST(PanelClock, LastTimeOfTheRecordRange) {
    TSystemTime t;
    t.wYear = 30827;
    t.wMonth = 12;
    t.wDay = 31;
    t.wHour = 23;
    t.wMinute = 59;
    t.wSecond = 59;
    t.wMilliseconds = 999;
    EXPECT_EQ(Time2CmlUInt64(t), 910670515199u);
}

TEST(PanelClock, DecodeKeepsTheFieldsAndZeroesTheDayOfWeek) {
    const TSystemTime t = DecodeToSystemTime(Reading(2026, 12, 7, 4, 35, 6, 789));
    EXPECT_EQ(t.wYear, 2026);
    EXPECT_EQ(t.wMonth, 12);
    EXPECT_EQ(t.wDay, 7);
    EXPECT_EQ(t.wHour, 4);
    EXPECT_EQ(t.wMinute, 35);
    EXPECT_EQ(t.wSecond, 6);
    EXPECT_EQ(t.wMilliseconds, 789);
    EXPECT_EQ(t.wDayOfWeek, 0);
}

bool IsAllZero(const TSystemTime& t) {
    return (t.wYear | t.wMonth | t.wDayOfWeek | t.wDay | t.wHour | t.wMinute | t.wSecond | t.wMilliseconds) == 0;
}

TEST(PanelClock, ReadingsNotAboveTheDateTimeZeroOrInvalidGiveAnAllZeroRecord) {
    EXPECT_TRUE(IsAllZero(DecodeToSystemTime(Reading(1899, 12, 30))));
    EXPECT_TRUE(IsAllZero(DecodeToSystemTime(Reading(1899, 12, 29, 23, 59, 59))));
    EXPECT_TRUE(IsAllZero(DecodeToSystemTime(TLocalDateTime{})));
    EXPECT_TRUE(IsAllZero(DecodeToSystemTime(Reading(2023, 2, 29))));
    EXPECT_TRUE(IsAllZero(DecodeToSystemTime(Reading(2026, 13, 1))));
    EXPECT_TRUE(IsAllZero(DecodeToSystemTime(Reading(2026, 1, 1, 24))));
    EXPECT_TRUE(IsAllZero(DecodeToSystemTime(Reading(2026, 1, 1, 0, 0, 0, 1000))));
    EXPECT_FALSE(IsAllZero(DecodeToSystemTime(Reading(1899, 12, 30, 0, 0, 0, 1))));
}

TEST(PanelClock, RecordOutsideTheFileTimeRangeIsLoggedAndGivesZero) {
    test::TempDir dir;
    {
        const TErrorLog errors(dir.File("ErrLog.txt"), nullptr);
        EXPECT_EQ(Time2CmlUInt64(TSystemTime{}), 0u);
        EXPECT_EQ(Time2CmlUInt64(DecodeToSystemTime(Reading(1600, 12, 31, 23, 59, 59))), 0u);
    }
    const std::string log = dir.Read("ErrLog.txt");
    EXPECT_NE(log.find("CMLEncode.Time2CmlUInt64"), std::string::npos) << log;
}

}  // namespace
}  // namespace zorv
