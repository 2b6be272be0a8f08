#include "Schedule.h"

#include <random>

namespace zorv::test {
namespace {

// Most pauses fall inside one step of the dialogue, many inside a write or a
// restart, some across the port check, a few across the script watchdog.
uint32_t DrawDelay(std::mt19937_64& random) {
    const auto pick = [&](uint32_t low, uint32_t high) {
        return std::uniform_int_distribution<uint32_t>(low, high)(random);
    };
    const uint32_t band = pick(0, 99);
    if (band < 40) return pick(0, 15);
    if (band < 75) return pick(16, 700);
    if (band < 95) return pick(701, 6000);
    return pick(60000, 61000);
}

EventKind DrawKind(std::mt19937_64& random) {
    struct Weighted {
        EventKind Kind;
        uint32_t Weight;
    };
    static const Weighted kKinds[] = {
        {EventKind::Press, 36},  {EventKind::Unplug, 10}, {EventKind::Plug, 12},       {EventKind::NewPanel, 5},
        {EventKind::Restart, 5}, {EventKind::Fault, 12},  {EventKind::OtherDevice, 6}, {EventKind::InWait, 14},
    };
    uint32_t total = 0;
    for (const auto& k : kKinds) total += k.Weight;
    uint32_t pick = std::uniform_int_distribution<uint32_t>(0, total - 1)(random);
    for (const auto& k : kKinds) {
        if (pick < k.Weight) return k.Kind;
        pick -= k.Weight;
    }
    return EventKind::Press;
}

const char* KindName(EventKind kind) {
    switch (kind) {
        case EventKind::Press: return "press";
        case EventKind::Unplug: return "unplug";
        case EventKind::Plug: return "plug";
        case EventKind::NewPanel: return "new-panel";
        case EventKind::Restart: return "restart";
        case EventKind::Fault: return "fault";
        case EventKind::OtherDevice: return "other-device";
        case EventKind::InWait: return "in-wait";
        case EventKind::Pause: return "pause";
        case EventKind::PressAsItComesOn: return "press-as-it-comes-on";
    }
    return "?";
}

// Why an event that was run changed nothing.
const char* NoEffect(EventKind kind) {
    switch (kind) {
        case EventKind::Press:
        case EventKind::PressAsItComesOn: return "no enabled button";
        case EventKind::InWait: return "no wait came, or nothing to do in it";
        default: return "nothing to do";
    }
}

}  // namespace

Schedule DrawSchedule(uint64_t seed) {
    std::mt19937_64 random(seed);
    Schedule schedule(std::uniform_int_distribution<size_t>(8, 40)(random));
    for (auto& event : schedule) {
        event.Kind = DrawKind(random);
        event.DelayMs = DrawDelay(random);
        event.Arg = static_cast<uint32_t>(random() % 1000);
    }
    return schedule;
}

const char* InWaitActionName(InWaitAction action) {
    switch (action) {
        case InWaitAction::Unplug: return "unplug";
        case InWaitAction::Replug: return "unplug and plug";
        case InWaitAction::Restart: return "restart";
        case InWaitAction::Swap: return "another panel";
    }
    return "?";
}

std::string DescribeEvent(const ScheduleEvent& event) {
    std::string text = "+" + std::to_string(event.DelayMs) + " ms " + KindName(event.Kind);
    if (event.Kind == EventKind::Pause) return text;
    text += " " + std::to_string(event.Arg);
    if (event.Kind == EventKind::InWait)
        text += std::string(" (") + InWaitActionName(InWaitActionOf(event.Arg)) + ")";
    return text;
}

std::string DescribeSchedule(const Schedule& schedule, const std::vector<bool>& tookEffect) {
    std::string text;
    for (size_t i = 0; i < schedule.size(); ++i) {
        text += "  " + std::to_string(i + 1) + ". " + DescribeEvent(schedule[i]);
        if (i < tookEffect.size() && !tookEffect[i]) text += std::string(" (no effect: ") + NoEffect(schedule[i].Kind) + ")";
        text += "\n";
    }
    return text;
}

}  // namespace zorv::test
