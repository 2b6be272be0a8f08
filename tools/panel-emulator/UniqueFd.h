#pragma once
// The emulator owns its descriptors with the program's own descriptor owner.
#include "foundation/UniqueFdLinux.h"

namespace zorv::emu {

using UniqueFd = zorv::TUniqueFd;

}  // namespace zorv::emu
