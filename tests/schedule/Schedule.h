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
    InWait,       // inside the program's next wait: what InWaitAction(Arg) says
    Pause,        // nothing: only its time passes (never drawn; shrinking and named schedules)
    PressAsItComesOn,  // the hand waits on a button and presses the moment one comes on (named schedules)
};

// What an in-wait event does, by its Arg.
enum class InWaitAction : uint32_t { Unplug, Replug, Restart, Swap };
constexpr uint32_t kInWaitActions = 4;
inline InWaitAction InWaitActionOf(uint32_t arg) { return static_cast<InWaitAction>(arg % kInWaitActions); }
const char* InWaitActionName(InWaitAction action);

struct ScheduleEvent {
    EventKind Kind;
    uint32_t DelayMs;  // virtual time before the event
    uint32_t Arg;
};

using Schedule = std::vector<ScheduleEvent>;

// Events written by hand, so a named schedule reads as what happens.
inline ScheduleEvent Press(uint32_t delayMs, uint32_t nth) { return {EventKind::Press, delayMs, nth}; }
inline ScheduleEvent Plug(uint32_t delayMs) { return {EventKind::Plug, delayMs, 0}; }
inline ScheduleEvent NewPanel(uint32_t delayMs, uint32_t kind) { return {EventKind::NewPanel, delayMs, kind}; }
inline ScheduleEvent InWait(InWaitAction action) { return {EventKind::InWait, 0, static_cast<uint32_t>(action)}; }
inline ScheduleEvent Pause(uint32_t ms) { return {EventKind::Pause, ms, 0}; }
inline ScheduleEvent PressAsItComesOn(uint32_t nth) { return {EventKind::PressAsItComesOn, 0, nth}; }
inline ScheduleEvent Fault(uint32_t delayMs, uint32_t kind) { return {EventKind::Fault, delayMs, kind}; }

// The test program runs a fixed set of seeds from 1 and a window of seeds drawn up to
// kTestSeedsEnd; fresh seeds for a long run are drawn above it.
constexpr uint64_t kTestSeedsEnd = 1000000;

Schedule DrawSchedule(uint64_t seed);
std::string DescribeEvent(const ScheduleEvent& event);
// With tookEffect (one flag for each event run), marks the events that changed nothing.
std::string DescribeSchedule(const Schedule& schedule, const std::vector<bool>& tookEffect = {});

}  // namespace zorv::test
