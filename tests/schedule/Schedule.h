#pragma once
// A schedule: what happens to the program, one event after another, each after
// a pause of virtual time. Drawn from one seed, so a seed names a schedule.
#include <cstdint>
#include <string>
#include <vector>

namespace zorv::test {

enum class EventKind {
    Press,        // an enabled button, the Arg-th among them (none enabled: nothing)
    Unplug,       // the panel is pulled out, in a restart too
    Plug,         // the panel is plugged in again
    NewPanel,     // another panel of kind Arg, with a serial number of its own, takes the place of this one
    Restart,      // the panel restarts by itself
    Fault,        // the panel starts misbehaving (kind Arg) or, for Arg 0, stops
    OtherDevice,  // another USB serial device is plugged in (odd Arg) or pulled out
    InWait,       // inside the program's next wait: unplug, unplug and plug, or a restart (Arg)
};

struct ScheduleEvent {
    EventKind Kind;
    uint32_t DelayMs;  // virtual time before the event
    uint32_t Arg;
};

using Schedule = std::vector<ScheduleEvent>;

Schedule DrawSchedule(uint64_t seed);
std::string DescribeEvent(const ScheduleEvent& event);
std::string DescribeSchedule(const Schedule& schedule);

}  // namespace zorv::test
