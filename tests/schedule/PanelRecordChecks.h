#pragma once
// What a panel took, judged by its record alone: for the schedule checker's
// invariants and for schedules against the Windows program under Wine.
#include <cstdint>
#include <optional>
#include <string>

#include "PanelRecord.h"

namespace zorv::test {

// An entry's event that marks the panel being plugged in or unplugged: a connection ends there.
bool IsPlugEvent(const std::optional<emu::PanelEvent>& event);

// The panel's last whole demonstration write (for this object number) was taken in
// order, every command answered, up to its "reset", and after it "ARM_IGNORE_TAMPER=1"
// and "TIME=", with no "ftdef" since. Otherwise false, and why says what is missing.
bool DemoWriteTaken(const emu::PanelRecord& record, int32_t objectNumber, std::string& why);
// The panel's last write is the whole demonstration write for this object number, up to its "reset".
bool DemoWriteReset(const emu::PanelRecord& record, int32_t objectNumber);
// On its last connection the panel was asked its serial number and could not tell it: it answered
// "NOT SET", or a fault was in force and no number came.
bool SerialNumberWithheld(const emu::PanelRecord& record);
// The last write that began is the factory one, whole up to its "reset".
bool FactoryWriteTaken(const emu::PanelRecord& record, std::string& why);
// The last line the panel received that begins with prefix; empty for none.
std::string LastReceived(const emu::PanelRecord& record, const std::string& prefix);
// Since it was last plugged in, the panel's port was opened and it got an empty line and "VERSION?".
bool AskedSinceLastPlug(const emu::PanelRecord& record);

}  // namespace zorv::test
