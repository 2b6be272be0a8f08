// The drawn schedules on the second transport: the panel emulator's threads on
// pseudo-terminals behind the real Linux driver, real time where they need it.
// A fixed small set of seeds, one test each; zorv-schedules --pty --seed N replays one.
#include <gtest/gtest.h>

#include "RowName.h"
#include "ScheduleRun.h"

namespace zorv::test {
namespace {

class PtySchedules : public ::testing::TestWithParam<uint64_t> {};

TEST_P(PtySchedules, KeepEveryInvariant) {
    const Schedule schedule = DrawSchedule(GetParam());
    const ScheduleOutcome outcome = RunSchedule(schedule, Transport::Pty);
    EXPECT_TRUE(outcome.Violations.empty()) << ReportFailure(GetParam(), schedule, outcome, Transport::Pty);
}

// Named by the seed, not by its place in the range.
INSTANTIATE_TEST_SUITE_P(Seeds, PtySchedules, ::testing::Range<uint64_t>(1, ZORV_PTY_SCHEDULE_SEEDS + 1), RowName());

}  // namespace
}  // namespace zorv::test
