#pragma once
// A pseudo-terminal pair standing for the panel's USB serial port. The master is
// the panel's end (non-blocking); the slave is what the program opens. The
// emulator keeps a slave descriptor of its own, set raw, so the line discipline
// neither echoes nor translates, and so the master does not see a hang-up while
// the program has the port closed. Destroying the object closes the master,
// which hangs up every open slave like an unplugged USB device.
//
// Because the emulator's own slave keeps the terminal alive, the kernel would
// keep replies that the program left unread until its next open; a real port
// loses them on close. The terminal therefore watches the slave's opens and
// closes, and discards unread replies when the program closes the port (its last open of it).
#include <sys/types.h>

#include <string>
#include <vector>

#include "foundation/UniqueFdLinux.h"

namespace zorv::emu {

enum class PortUse { Opened, Closed };

class PseudoTerminal {
public:
    PseudoTerminal();  // throws std::system_error

    int Master() const { return FMaster.Get(); }
    const std::string& SlavePath() const { return FSlavePath; }
    dev_t SlaveDevice() const { return FSlaveDevice; }

    // The emulator's own slave descriptor (non-blocking): writable while the panel's input has room.
    int Slave() const { return FSlave.Get(); }
    // Fills the panel's input from the emulator's own slave until the terminal takes no more,
    // as the program's writes would fill the port of a panel that stopped reading.
    void FillPanelInput();
    // Discards whatever waits in the panel's input, filler and the program's bytes alike.
    void DiscardPanelInput();

    // Readable when the program opened or closed the port since the last TakePortUse.
    int UseWatch() const { return FUseWatch.Get(); }
    // The opens and closes seen, in order; after a close, unread replies are gone.
    std::vector<PortUse> TakePortUse();

private:
    TUniqueFd FUseWatch;
    int FOpens = 0;  // the program's opens of the slave, as far as the watch tells
    TUniqueFd FSlave;   // closed after the master (members go in reverse order)
    TUniqueFd FMaster;
    std::string FSlavePath;
    dev_t FSlaveDevice = 0;
};

}  // namespace zorv::emu
