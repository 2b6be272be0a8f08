#include "PanelEvent.h"

namespace zorv::emu {

std::string EventText(PanelEvent event, PanelFault fault, const std::string& detail) {
    switch (event) {
        case PanelEvent::PluggedIn: return "plugged in on " + detail;
        case PanelEvent::Unplugged: return "unplugged";
        case PanelEvent::Restarting: return "restarting";
        case PanelEvent::ReplugFailed: return "could not plug in again: " + detail;
        case PanelEvent::PortOpened: return "port opened";
        case PanelEvent::PortClosed: return "port closed";
        case PanelEvent::PortUnreadable: return "the port can no longer be read";
        case PanelEvent::FaultInForce: return std::string("fault: ") + FaultName(fault);
        case PanelEvent::FaultyAnswer: return std::string(FaultName(fault)) + " of " + detail + " bytes";
        case PanelEvent::EarlyLine: return "the next line came before the answer";
        case PanelEvent::ReplyDropped: return "reply dropped: the port was not drained in time";
        case PanelEvent::PollFailed: return "poll failed: " + detail;
        case PanelEvent::WriteFailed: return "write failed: " + detail;
    }
    return detail;
}

}  // namespace zorv::emu
