#pragma once
// The serial ttys of a device root, read from <root>/sys/class/tty: those with
// a `device` link whose node <root>/dev/<name> exists, each with the USB
// identity of the nearest ancestor of its device folder that holds idVendor,
// idProduct and serial. Unreadable or malformed entries are left out; nothing throws.
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/TtyPortNumbers.h"

namespace zorv {

struct TSerialTty {
    std::string Name;          // ttyACM0
    int32_t PortNumber = 0;    // its COM number
    std::string InstancePath;  // USB\VID_FFFF&PID_2331\TVAK; empty when not a USB device with a serial
    std::string Product;       // the USB product text (Windows-1251); empty when none
};

// In order of port number.
std::vector<TSerialTty> ScanSerialTtys(const std::string& Root, TTtyPortNumbers& Numbers);

// <root>/dev/<name>
std::string DevNodePath(const std::string& Root, const std::string& TtyName);

}  // namespace zorv
