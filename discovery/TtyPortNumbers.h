#pragma once
// The COM number of each serial tty, where the system names its ports by
// device node rather than by number:
//   ttyS<k>   -> COM<k+1>     (k 0..99:  COM1..COM100)
//   ttyUSB<k> -> COM<k+101>   (k 0..99:  COM101..COM200)
//   ttyACM<k> -> COM<k+201>   (k 0..99:  COM201..COM300)
//   any other name (ttyAMA0, rfcomm0, ttyUSB100, ttyS01...) -> COM1001, COM1002...
//   in the order the names are first seen; a name keeps its number for the
//   life of this object, and no number is ever given to two names.
// The numbers are therefore unique per node and stable while the node exists.
// Safe from any thread.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace zorv {

class TTtyPortNumbers {
public:
    int32_t NumberOf(const std::string& TtyName);
    // The tty name of COMn; empty when no name has that number.
    std::string NameOf(int32_t PortNumber) const;

private:
    mutable std::mutex FMutex;
    std::map<std::string, int32_t> FOthers;
    int32_t FNextOther = 1001;
};

}  // namespace zorv
