#pragma once
// What the panel's record notes besides the lines: each event has a kind that
// checks compare, and words of its own in the transcript that people read.
#include <string>

#include "PanelFault.h"

namespace zorv::emu {

enum class PanelEvent {
    PluggedIn,       // on a new pseudo-terminal, whose slave is the detail
    Unplugged,
    Restarting,      // the panel goes away for its restart
    ReplugFailed,    // it could not come back after a restart, for the reason in the detail
    PortOpened,      // by the program
    PortClosed,
    PortUnreadable,  // the master can no longer be read
    FaultInForce,    // the event's fault; PanelFault::None when a fault ended
    FaultyAnswer,    // the event's fault put as many bytes as the detail says on the port
    EarlyLine,       // the program's next line came while an answer was held back after an unasked line
    ReplyDropped,    // the program did not drain the port in time
    PollFailed,      // for the reason in the detail
    WriteFailed,     // for the reason in the detail
};

// The event as the transcript tells it: "plugged in on /dev/pts/3", "fault: mute".
std::string EventText(PanelEvent event, PanelFault fault, const std::string& detail);

}  // namespace zorv::emu
