#pragma once
// How the panel's port is recognised: the device instance path of its USB
// device, and the product word its port entry carries once recognised.
#include <string>

namespace zorv {

struct TSerialPort;

extern const char kPanelInstancePath[];  // "USB\VID_FFFF&PID_2331\TVAK"
extern const char kPanelProduct[];       // "Tvak"

// The entry's Product contains the product word, without regard to letter case.
bool CarriesPanelProduct(const TSerialPort& Port);

}  // namespace zorv
