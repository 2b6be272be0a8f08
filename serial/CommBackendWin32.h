#pragma once
// The port driver's OS side on Windows: a COM port in overlapped mode and a
// reader thread that waits in WaitCommEvent.
#include <memory>

#include "serial/CommBackend.h"

namespace zorv {

class IWin32CommCalls;

// Through the system's own calls.
std::unique_ptr<ICommBackend> MakeWin32CommBackend();
// Through Calls, which must outlive the backend and any reader it let go.
std::unique_ptr<ICommBackend> MakeWin32CommBackend(IWin32CommCalls& Calls);

}  // namespace zorv
