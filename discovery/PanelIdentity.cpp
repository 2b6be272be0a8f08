#include "discovery/PanelIdentity.h"

#include "discovery/SerialPort.h"
#include "foundation/Cp1251.h"

namespace zorv {

const char kPanelInstancePath[] = "USB\\VID_FFFF&PID_2331\\TVAK";
const char kPanelProduct[] = "Tvak";

bool CarriesPanelProduct(const TSerialPort& Port) {
    return AnsiUpperCase(Port.Product).find(AnsiUpperCase(kPanelProduct)) != std::string::npos;
}

}  // namespace zorv
