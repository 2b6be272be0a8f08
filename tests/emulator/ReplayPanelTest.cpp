// The panel of a log tells each departure the moment the command that made it comes,
// and, when the run is over, the log's command that never came.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReplayPanel.h"

namespace zorv::emu {
namespace {

using Lines = std::vector<std::string>;

const char kLog[] =
    "2026-12-10 04:40:00.100 OUT: VERSION?\r\n"
    "2026-12-10 04:40:00.120 IN:  Main ver=5.1.10.6\r\n"
    "2026-12-10 04:40:00.130 OUT: TIME=1765341600\r\n"
    "2026-12-10 04:40:00.140 IN:  OK\r\n";

struct Departing {
    const char* Name;
    Lines Sent;
    // What was told by the time each command had been answered.
    Lines ToldAfterEach;
    std::string Unreached;
};

void PrintTo(const Departing& row, std::ostream* out) { *out << row.Name; }

class ReplayDeparture : public ::testing::TestWithParam<Departing> {};

TEST_P(ReplayDeparture, IsToldAsItHappens) {
    std::string told;
    ReplayPanel panel(ReadControllerLog(kLog).Exchanges, false, [&](const std::string& departure) { told += departure; });
    Lines toldAfterEach;
    for (const auto& line : GetParam().Sent) {
        panel.Respond(line);
        toldAfterEach.push_back(told);
    }
    EXPECT_EQ(toldAfterEach, GetParam().ToldAfterEach);
    EXPECT_EQ(panel.Unreached().value_or(""), GetParam().Unreached);
    EXPECT_EQ(panel.Departures().empty(), told.empty() && GetParam().Unreached.empty());
}

const std::string kOther = "line 1: the log had \"VERSION?\", came \"AUTH=7653\"";

INSTANTIATE_TEST_SUITE_P(
    Runs, ReplayDeparture,
    ::testing::Values(
        Departing{"NothingSent", {}, {}, "line 1: the log had \"VERSION?\", nothing came"},
        Departing{"AnotherCommand", {"AUTH=7653"}, {kOther}, ""},
        Departing{"OnlyTheFirstIsTold", {"AUTH=7653", "VERSION?"}, {kOther, kOther}, ""},
        Departing{"PastTheLogsEnd",
                  {"VERSION?", "TIME=1", "VERSION?"},
                  {"", "", "after the log's end: came \"VERSION?\""},
                  ""}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace zorv::emu
