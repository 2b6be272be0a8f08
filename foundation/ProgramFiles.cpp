#include "foundation/ProgramFiles.h"

#include "foundation/FilePaths.h"

namespace zorv {

TProgramFiles PortableProgramFiles(const std::string& ExecutablePath) {
    return {ExtractFilePath(ExecutablePath) + "ZorvGSMDemo.ini", "ErrLog.txt"};
}

}  // namespace zorv
