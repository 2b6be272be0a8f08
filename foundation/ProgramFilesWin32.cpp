#include "foundation/FilePaths.h"
#include "foundation/ProgramFiles.h"

namespace zorv {

// The Windows program is unpacked, never installed.
TProgramFiles LocateProgramFiles() { return PortableProgramFiles(GetExecutablePath()); }

}  // namespace zorv
