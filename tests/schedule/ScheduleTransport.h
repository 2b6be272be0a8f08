#pragma once
// How a schedule's panels reach the program: emulated panels on the form's own
// loop in virtual time (LoopPanels), or the panel emulator's threads on
// pseudo-terminals behind the real Linux driver and device source (PtyPanels).
// The schedule, its events and the invariants are the same for both.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DialogueInvariants.h"
#include "PanelFault.h"
#include "PanelOptions.h"
#include "discovery/DeviceSource.h"
#include "serial/CommBackend.h"

namespace zorv::test {

class ScheduleTransport : public PanelSide {
public:
    // The form's seams on this transport.
    virtual IDeviceSource& DeviceSource() = 0;
    virtual ICommBackend& Backend() = 0;
    // The lines the form's INI file needs for this transport, whose files go below folder (ending in "/").
    virtual std::string IniLines(const std::string& /*folder*/) { return ""; }
    // Runs the form's loop one step toward virtual time untilMs; false once it is there with nothing due.
    virtual bool Step(uint64_t untilMs) = 0;

    // Plugs in a new panel, or the last one again when options is empty; nothing while one is in.
    virtual void Plug(const emu::PanelOptions* options) = 0;
    // The panel goes, in a restart too (it then does not come back by itself).
    virtual void Unplug() = 0;
    // The panel restarts by itself: gone, and back after its restart delay.
    virtual void Restart() = 0;
    virtual void SetFault(emu::PanelFault fault) = 0;
    virtual void SetOtherDevice(bool plugged) = 0;
    // Plugged in and not away in a restart.
    virtual bool Present() const = 0;
    // Lets the panel read what the program wrote, before anything else happens to it (on the
    // loop it reads each line as it is written).
    virtual void CatchUp() {}

    // The lines the panels read, for the rules that judge them as they are read; Early when the
    // panel's answer to an earlier line of the connection had not yet reached the program's port.
    std::function<void(const std::string& Line, uint32_t Connection, bool Early)> OnLine;
    // The rules for the lines the panels read, where they were not judged as they were read.
    virtual void CheckReadLines(DialogueInvariants&) const {}
    // Every panel's record, in the order they were first plugged in.
    virtual std::vector<const emu::PanelRecord*> Records() const = 0;
    // What a failed run reports: every panel's record, as the breach may be in an earlier one.
    std::string Transcripts() const {
        const std::vector<const emu::PanelRecord*> records = Records();
        std::string text;
        for (size_t i = 0; i < records.size(); ++i)
            text += "(panel " + std::to_string(i + 1) + " of " + std::to_string(records.size()) + ")\n" +
                    records[i]->Transcript();
        return text;
    }
};

}  // namespace zorv::test
