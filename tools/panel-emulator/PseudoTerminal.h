#pragma once
// A pseudo-terminal pair standing for the panel's USB serial port. The master is
// the panel's end (non-blocking); the slave is what the program opens. The
// emulator keeps a slave descriptor of its own, set raw, so the line discipline
// neither echoes nor translates, and so the master does not see a hang-up while
// the program has the port closed. Destroying the object closes the master,
// which hangs up every open slave like an unplugged USB device.
#include <sys/types.h>

#include <string>

#include "UniqueFd.h"

namespace zorv::emu {

class PseudoTerminal {
public:
    PseudoTerminal();  // throws std::system_error

    int Master() const { return FMaster.Get(); }
    const std::string& SlavePath() const { return FSlavePath; }
    dev_t SlaveDevice() const { return FSlaveDevice; }

private:
    UniqueFd FSlave;   // closed after the master (members go in reverse order)
    UniqueFd FMaster;
    std::string FSlavePath;
    dev_t FSlaveDevice = 0;
};

}  // namespace zorv::emu
