// The controller log read back into exchanges, and logs that are refused by line.
#include <gtest/gtest.h>

#include <string>

#include "ControllerLogReader.h"

namespace zorv::emu {
namespace {

using std::chrono::milliseconds;

TEST(ControllerLogReader, ReadsExchangesWithAnySeparatorAndTheirRestarts) {
    // A dot as the regional separator, a reply in Windows-1251 and the panel's restart after "reset".
    const std::string log =
        "2026-12-10 04.40.00.100 OUT: VERSION?\r\n"
        "2026-12-10 04.40.00.120 IN:  Main ver=5.1.10.6\r\n"
        "2026-12-10 04.40.00.130 OUT: NAME=\xCF\xF3\xEB\xFC\xF2\r\n"
        "2026-12-10 04.40.00.135 IN:  OK\r\n"
        "2026-12-10 04.40.00.140 OUT: reset\r\n"
        "2026-12-10 04.40.00.150 IN:  OK\r\n"
        "\r\n"
        "2026-12-10 04.40.00.950 OUT: VERSION?\r\n";
    const ControllerLogReading reading = ReadControllerLog(log);
    ASSERT_EQ(reading.Error, "");
    ASSERT_EQ(reading.Exchanges.size(), 4u);
    EXPECT_EQ(reading.Exchanges[0].Replies[0].Text, "Main ver=5.1.10.6");
    EXPECT_EQ(reading.Exchanges[0].Replies[0].After, milliseconds(20));
    EXPECT_EQ(reading.Exchanges[1].Command, "NAME=\xCF\xF3\xEB\xFC\xF2");
    EXPECT_FALSE(reading.Exchanges[1].AwayFor);
    EXPECT_EQ(reading.Exchanges[2].AwayFor, milliseconds(800));
    EXPECT_EQ(reading.Exchanges[3].LineNumber, 8u);
    EXPECT_TRUE(reading.Exchanges[3].Replies.empty());
}

TEST(ControllerLogReader, AVersionQueryAfterAGapIsANewConnectionAcrossMidnight) {
    const ControllerLogReading reading = ReadControllerLog(
        "2026-12-10 23:59:59.500 OUT: ARM_ALLOWED=2\r\n"
        "2026-12-10 23:59:59.510 IN:  OK\r\n"
        "2026-12-11 00:00:01.010 OUT: VERSION?\r\n");
    ASSERT_EQ(reading.Error, "");
    EXPECT_EQ(reading.Exchanges[0].AwayFor, milliseconds(1500));
}

struct Refused {
    const char* Name;
    const char* Log;
    const char* Error;
};

class RefusedLog : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedLog, NamesTheLine) {
    const ControllerLogReading reading = ReadControllerLog(GetParam().Log);
    EXPECT_EQ(reading.Error, GetParam().Error);
    EXPECT_TRUE(reading.Exchanges.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RefusedLog,
    ::testing::Values(
        Refused{"ReplyBeforeAnyCommand", "2026-12-10 04:40:00.100 IN:  OK\r\n", "line 1: a reply before any command"},
        Refused{"LineWithoutTimeStamp", "2026-12-10 04:40:00.100 OUT: A?\r\nError in module\r\n",
                "line 2: no time stamp \"yyyy-mm-dd hh:mm:ss.zzz\" at its start"},
        Refused{"MonthOutOfRange", "2026-13-10 04:40:00.100 OUT: A?\n",
                "line 1: no time stamp \"yyyy-mm-dd hh:mm:ss.zzz\" at its start"},
        Refused{"TwoTimeSeparators", "2026-12-10 04:40.00.100 OUT: A?\n",
                "line 1: no time stamp \"yyyy-mm-dd hh:mm:ss.zzz\" at its start"},
        Refused{"NoBlankAfterOut", "2026-12-10 04:40:00.100 OUT:A?\n",
                "line 1: neither \" OUT: \" nor \" IN:  \" after the time stamp"},
        Refused{"OneBlankAfterIn", "2026-12-10 04:40:00.100 IN: OK\n",
                "line 1: neither \" OUT: \" nor \" IN:  \" after the time stamp"},
        Refused{"EmptyCommand", "\n\n2026-12-10 04:40:00.100 OUT:  \n", "line 3: an empty command after the marker"},
        Refused{"CutTimeStamp", "2026-12-10 04:40:00.1",
                "line 1: no time stamp \"yyyy-mm-dd hh:mm:ss.zzz\" at its start"}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace zorv::emu
