// Runs fresh schedules for as long as asked and reports the rate, the events
// and every violation found; or replays one seed. With --pty, on the second
// transport: the panel emulator on pseudo-terminals behind the real driver.
//   zorv-schedules [--pty] [--seconds N] [--first SEED]   fresh seeds (drawn from the clock above the
//                                                         test program's, or SEED on)
//   zorv-schedules [--pty] --seed SEED                    one seed, its schedule and outcome
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "ScheduleRun.h"

using namespace zorv::test;

namespace {

int Replay(uint64_t seed, Transport transport) {
    const Schedule schedule = DrawSchedule(seed);
    const ScheduleOutcome outcome = RunSchedule(schedule, transport);
    std::cout << "seed " << seed << ":\n" << DescribeSchedule(schedule, outcome.TookEffect);
    if (outcome.Violations.empty()) {
        std::cout << "every invariant kept\n";
        return 0;
    }
    std::cout << ReportFailure(seed, schedule, outcome, transport);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 60;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    uint64_t seed = kTestSeedsEnd + 1 + 1000 * static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count());
    Transport transport = Transport::Loop;
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--pty")) transport = Transport::Pty;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--seed")) return Replay(std::strtoull(argv[i + 1], nullptr, 10), transport);
        if (!std::strcmp(argv[i], "--seconds")) seconds = std::strtod(argv[i + 1], nullptr);
        if (!std::strcmp(argv[i], "--first")) seed = std::strtoull(argv[i + 1], nullptr, 10);
    }
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    size_t schedules = 0, events = 0, violations = 0;
    std::cout << "from seed " << seed << "\n";
    for (; std::chrono::steady_clock::now() < end; ++seed, ++schedules) {
        const Schedule schedule = DrawSchedule(seed);
        const ScheduleOutcome outcome = RunSchedule(schedule, transport);
        events += outcome.EventsRun;
        if (outcome.Violations.empty()) continue;
        if (++violations <= 5) std::cout << ReportFailure(seed, schedule, outcome, transport) << "\n";
    }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << schedules << " schedules in " << elapsed << " s (" << schedules / elapsed << " per second), " << events
              << " events, " << violations << " violating\n";
    return violations ? 1 : 0;
}
