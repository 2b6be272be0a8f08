#pragma once
// A schedule: what happens to the program, one event after another, each after
// a pause of virtual time. Drawn from one seed, so a seed names a schedule.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "PanelKinds.h"

namespace zorv::test {

enum class EventKind {
    Press,        // an enabled button, the Arg-th among them (none enabled: nothing)
    Unplug,       // the panel is pulled out, in a restart too
    Plug,         // the panel is plugged in again
    NewPanel,     // another panel (PanelArg: its kind and restart time), with a serial number of its own, takes this one's place
    Restart,      // the panel restarts by itself
    Fault,        // the panel starts misbehaving (FaultArg) or, for Arg 0, stops
    OtherDevice,  // another USB serial device is plugged in (odd Arg) or pulled out
    InWait,       // inside the program's next wait: what InWaitActionOf(Arg) says, with InWaitPanelOf(Arg)
    Pause,        // nothing: only its time passes (never drawn; shrinking and named schedules)
    PressAsItComesOn,  // the hand waits on a button and presses the moment one comes on (named schedules)
};

// What an in-wait event does, and the kind of panel its swap plugs in, by its Arg.
enum class InWaitAction : uint32_t { Unplug, Replug, Restart, Swap };
constexpr uint32_t kInWaitActions = 4;
inline InWaitAction InWaitActionOf(uint32_t arg) { return static_cast<InWaitAction>(arg % kInWaitActions); }
inline uint32_t InWaitPanelOf(uint32_t arg) { return arg / kInWaitActions; }
const char* InWaitActionName(InWaitAction action);

inline bool OtherDevicePlugged(uint32_t arg) { return arg % 2 == 1; }

// Which of the buttons enabled at that moment, in the window's order.
enum class EnabledButton : uint32_t { First, Second };

struct ScheduleEvent {
    EventKind Kind;
    uint32_t DelayMs;  // virtual time before the event
    uint32_t Arg;
};

using Schedule = std::vector<ScheduleEvent>;

// Events written by hand, so a named schedule reads as what happens.
using std::chrono::milliseconds;
inline uint32_t Ms(milliseconds delay) { return static_cast<uint32_t>(delay.count()); }
inline ScheduleEvent Press(milliseconds after, EnabledButton button) {
    return {EventKind::Press, Ms(after), static_cast<uint32_t>(button)};
}
inline ScheduleEvent PressAsItComesOn(EnabledButton button) {
    return {EventKind::PressAsItComesOn, 0, static_cast<uint32_t>(button)};
}
inline ScheduleEvent Plug(milliseconds after) { return {EventKind::Plug, Ms(after), 0}; }
inline ScheduleEvent NewPanel(milliseconds after, PanelKindId kind, milliseconds restart = milliseconds(kRestartStepMs)) {
    return {EventKind::NewPanel, Ms(after), PanelArg(kind, restart)};
}
inline ScheduleEvent InWait(InWaitAction action) { return {EventKind::InWait, 0, static_cast<uint32_t>(action)}; }
inline ScheduleEvent Fault(milliseconds after, emu::PanelFault fault) { return {EventKind::Fault, Ms(after), FaultArg(fault)}; }
inline ScheduleEvent Pause(milliseconds time) { return {EventKind::Pause, Ms(time), 0}; }

// The test program runs a fixed set of seeds from 1 and a window of seeds drawn up to
// kTestSeedsEnd; fresh seeds for a long run are drawn above it.
constexpr uint64_t kTestSeedsEnd = 1000000;

Schedule DrawSchedule(uint64_t seed);
std::string DescribeEvent(const ScheduleEvent& event);
// With tookEffect (one flag for each event run), marks the events that changed nothing.
std::string DescribeSchedule(const Schedule& schedule, const std::vector<bool>& tookEffect = {});

}  // namespace zorv::test
