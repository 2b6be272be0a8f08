#pragma once
// The panel as a USB serial device under a device root, laid out as on a real machine:
//   <root>/sys/devices/<usb path>/                      idVendor, idProduct, serial, product
//   <root>/sys/devices/<usb path>/<if>/tty/<tty>/       dev, and device -> ../../../<if>
//   <root>/sys/class/tty/<tty>                          -> ../../devices/<usb path>/<if>/tty/<tty>
//   <root>/dev/<tty>                                    -> the pseudo-terminal's slave
// where <if> is the last component of the USB path followed by ":1.0". Plugging
// in creates the sysfs part first and the dev link last, so a watcher of
// <root>/dev finds a complete device; unplugging goes the other way round.
// Only the device's own files are removed: several devices may share a root.
#include <sys/types.h>

#include <filesystem>
#include <string>

#include "DevicePlug.h"
#include "PanelOptions.h"

namespace zorv::emu {

class DeviceNode : public DevicePlug {
public:
    // Throws std::invalid_argument for an empty root, a USB path that is not a
    // plain relative path, or a tty name that is not a plain file name.
    DeviceNode(const std::string& root, UsbIdentity usb);

    void Plug(const std::string& slavePath, dev_t slaveDevice);  // throws std::filesystem::filesystem_error
    void Plug(const PseudoTerminal& terminal) override { Plug(terminal.SlavePath(), terminal.SlaveDevice()); }
    void Unplug() noexcept override;

    std::string DevPath() const override { return FDevLink.string(); }

private:
    void CreateSysfs(dev_t slaveDevice);

    UsbIdentity FUsb;
    std::filesystem::path FUsbFolder;
    std::string FInterfaceName;
    std::filesystem::path FTtyFolder;
    std::filesystem::path FClassLink;
    std::filesystem::path FDevLink;
};

}  // namespace zorv::emu
