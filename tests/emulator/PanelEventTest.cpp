// The words each event of the record has in the transcript that people read.
#include "PanelEvent.h"

#include <gtest/gtest.h>

#include <string>

namespace zorv::emu {
namespace {

struct EventCase {
    const char* Name;
    PanelEvent Event;
    PanelFault Fault;
    std::string Detail;
    std::string Text;
};

class EventTextTest : public ::testing::TestWithParam<EventCase> {};

TEST_P(EventTextTest, TellsTheEvent) {
    EXPECT_EQ(EventText(GetParam().Event, GetParam().Fault, GetParam().Detail), GetParam().Text);
}

const PanelFault kNone = PanelFault::None;

INSTANTIATE_TEST_SUITE_P(
    Events, EventTextTest,
    ::testing::Values(EventCase{"PluggedIn", PanelEvent::PluggedIn, kNone, "/dev/pts/3", "plugged in on /dev/pts/3"},
                      EventCase{"Unplugged", PanelEvent::Unplugged, kNone, "", "unplugged"},
                      EventCase{"Restarting", PanelEvent::Restarting, kNone, "", "restarting"},
                      EventCase{"ReplugFailed", PanelEvent::ReplugFailed, kNone, "no root",
                                "could not plug in again: no root"},
                      EventCase{"PortOpened", PanelEvent::PortOpened, kNone, "", "port opened"},
                      EventCase{"PortClosed", PanelEvent::PortClosed, kNone, "", "port closed"},
                      EventCase{"PortUnreadable", PanelEvent::PortUnreadable, kNone, "",
                                "the port can no longer be read"},
                      EventCase{"FaultInForce", PanelEvent::FaultInForce, PanelFault::NotReading, "",
                                "fault: not reading"},
                      EventCase{"FaultEnded", PanelEvent::FaultInForce, kNone, "", "fault: none"},
                      EventCase{"FaultyAnswer", PanelEvent::FaultyAnswer, PanelFault::Flood, "40000",
                                "flood of 40000 bytes"},
                      EventCase{"EarlyLine", PanelEvent::EarlyLine, kNone, "", "the next line came before the answer"},
                      EventCase{"ReplyDropped", PanelEvent::ReplyDropped, kNone, "",
                                "reply dropped: the port was not drained in time"},
                      EventCase{"PollFailed", PanelEvent::PollFailed, kNone, "Bad file descriptor",
                                "poll failed: Bad file descriptor"},
                      EventCase{"WriteFailed", PanelEvent::WriteFailed, kNone, "Input/output error",
                                "write failed: Input/output error"}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace zorv::emu
