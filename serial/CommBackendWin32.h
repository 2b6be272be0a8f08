#pragma once
// The port driver's OS side on Windows: a COM port in overlapped mode and a
// reader thread that waits in WaitCommEvent.
#include <memory>

#include "serial/CommBackend.h"

namespace zorv {

std::unique_ptr<ICommBackend> MakeWin32CommBackend();

}  // namespace zorv
