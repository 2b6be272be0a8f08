#pragma once
// Runs schedules against the whole dialogue: the main form as the program
// builds it, emulated panels on its loop in virtual time (or, on the second
// transport, the panel emulator behind the real driver on pseudo-terminals), and
// the invariants checked after every step. After the schedule, a healthy panel is
// plugged in and must be served: connected, or its waiting write completed, in bounded time.
#include <cstdint>
#include <string>
#include <vector>

#include "Schedule.h"

namespace zorv::test {

struct ScheduleOutcome {
    std::vector<std::string> Violations;
    size_t EventsRun = 0;  // up to the first violation
    // For each event run: whether it changed anything (a press found an enabled button, an
    // in-wait event found its wait, a plug plugged a panel in...).
    std::vector<bool> TookEffect;
    // Kept for a failed run: what the panel saw, the controller log and the error log.
    std::string Transcript;
    std::string ControllerLog;
    std::string ErrorLog;
};

// Panels on the form's loop (LoopPanel.h), or the emulator on pseudo-terminals (PtyPanels.h).
enum class Transport { Loop, Pty };

ScheduleOutcome RunSchedule(const Schedule& schedule, Transport transport = Transport::Loop);

// A simpler schedule that still breaks an invariant: events dropped, turned into plain pauses,
// and pauses shortened, for as long as the run still fails.
Schedule ShrinkSchedule(const Schedule& failing);

// The schedule and the logs of a failed run, for a person to read, under the schedule's name
// ("seed 724", or a named schedule's), with the command that runs it again. On the loop the
// schedule is shrunk and run again; on pseudo-terminals, where a run takes seconds and does not
// replay exactly, the failed run itself is reported.
std::string ReportFailure(const std::string& name, const std::string& replay, const Schedule& schedule,
                          const ScheduleOutcome& failed, Transport transport = Transport::Loop);
// The same for a drawn seed.
std::string ReportFailure(uint64_t seed, const Schedule& schedule, const ScheduleOutcome& failed,
                          Transport transport = Transport::Loop);

}  // namespace zorv::test
