// The whole dialogue under drawn schedules of presses, plugs, restarts and
// faults: a fixed set of seeds in every build, and named schedules for the
// roads that once broke. ZORV_SCHEDULE_SEED=<n> replays one seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ScheduleRun.h"

namespace zorv::test {
namespace {

TEST(DialogueSchedules, DrawnSchedulesKeepEveryInvariant) {
    uint64_t first = 1, count = ZORV_SCHEDULE_SEEDS;
    if (const char* replay = std::getenv("ZORV_SCHEDULE_SEED")) {
        first = std::strtoull(replay, nullptr, 10);
        count = 1;
    }
    size_t events = 0, failures = 0;
    for (uint64_t seed = first; seed < first + count && failures < 3; ++seed) {
        const Schedule schedule = DrawSchedule(seed);
        const ScheduleOutcome outcome = RunSchedule(schedule);
        events += outcome.EventsRun;
        if (outcome.Violations.empty()) continue;
        ++failures;
        ADD_FAILURE() << ReportFailure(seed, schedule, outcome);
    }
    std::cout << count << " schedules, " << events << " events\n";
}

struct NamedSchedule {
    const char* Name;
    Schedule Events;
};

// Each first presses the demonstration button of a connected panel.
const NamedSchedule kNamed[] = {
    // Unplugged in the wait after the login that follows the restart: the tamper and clock
    // commands went to a panel that was gone, so the write must wait for its next connection.
    {"UnpluggedInTheCompletion", {{EventKind::Press, 2000, 0}, {EventKind::InWait, 0, 0}}},
    {"ReplugedInTheCompletion", {{EventKind::Press, 2000, 0}, {EventKind::InWait, 0, 1}}},
    {"RestartedInTheCompletion", {{EventKind::Press, 2000, 0}, {EventKind::InWait, 0, 2}}},
    // Then the factory button, which an unfinished completion must not have enabled.
    {"FactoryAfterALostCompletion",
     {{EventKind::Press, 2000, 0}, {EventKind::InWait, 0, 0}, {EventKind::Press, 3000, 1}, {EventKind::Plug, 10, 0}}},
};

class NamedSchedules : public ::testing::TestWithParam<NamedSchedule> {};

TEST_P(NamedSchedules, KeepEveryInvariant) {
    const ScheduleOutcome outcome = RunSchedule(GetParam().Events);
    EXPECT_TRUE(outcome.Violations.empty()) << ReportFailure(0, GetParam().Events, outcome);
}

INSTANTIATE_TEST_SUITE_P(Roads, NamedSchedules, ::testing::ValuesIn(kNamed),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace zorv::test
