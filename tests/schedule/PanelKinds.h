#pragma once
// What a schedule's "another panel" and "fault" events stand for, on every
// transport: the kinds of panel a schedule plugs in and the faults it sets.
#include <cstdint>

#include "PanelFault.h"
#include "PanelOptions.h"

namespace zorv::test {

constexpr uint32_t kPanelKinds = 11;
// The first kinds serve a demonstration; the others refuse it somewhere on the way.
constexpr uint32_t kHealthyKinds = 6;

// The panel of kind arg % kPanelKinds: echoing, in pieces, in its bootloader, protected...
emu::PanelOptions PanelKind(uint32_t arg);
emu::PanelFault FaultKind(uint32_t arg);

}  // namespace zorv::test
