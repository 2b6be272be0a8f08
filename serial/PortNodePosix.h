#pragma once
// Opening a serial port's device node, shared by the driver and the probe.
#include <string>

#include "serial/PortResult.h"

namespace zorv {

// Opens the node at Path for reading and writing, never as the controlling
// terminal and without waiting for a carrier, and locks it with
// flock(LOCK_EX | LOCK_NB), which holds against every other open file
// description, of this process too. Only a character device is opened: the
// node is checked before the open and the descriptor after it, so a file, FIFO
// or link to one planted in its place is never read or written. Returns the
// descriptor (the lock goes with it), or -1 with Failure set.
int OpenPortNode(const std::string& Path, TPortResult& Failure);

}  // namespace zorv
