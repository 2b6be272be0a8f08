#pragma once
// The panel as a USB serial port of a Wine prefix. The prefix's registry names
// a link of ours as COM<n>; plugging in points that link at the pseudo-terminal,
// registers the USB device with its friendly name "<product> (COM<n>)" and
// sends the arrival notification; unplugging goes the other way round. The
// last two are Windows calls, made by zorv-wine-device.exe under Wine.
#include <string>
#include <vector>

#include "DevicePlug.h"

namespace zorv::emu {

class WinePort : public DevicePlug {
public:
    // Throws std::invalid_argument for a port number below 1, an empty link or no device tool.
    WinePort(WinePortOptions port, const UsbIdentity& usb);

    void Plug(const PseudoTerminal& terminal) override;  // throws std::runtime_error
    void Unplug() noexcept override;
    std::string DevPath() const override { return FPort.PortLink; }

    // "USB\VID_FFFF&PID_2331\TVAK": the device instance the program looks for.
    const std::string& InstancePath() const { return FInstancePath; }
    const std::string& FriendlyName() const { return FFriendlyName; }

private:
    // Runs the device tool with these arguments; false when it did not end with 0.
    bool RunDeviceTool(const std::vector<std::string>& arguments) const;
    // The first session leader that opens a terminal takes it as its controlling
    // terminal, and gets a hang-up signal when the panel is unplugged; Wine's
    // server must not be that leader, so a process of our own takes it first.
    void HoldTerminal(const PseudoTerminal& terminal);
    void ReleaseTerminal() noexcept;

    WinePortOptions FPort;
    std::string FPortName;
    std::string FInstancePath;
    std::string FFriendlyName;
    bool FRegistered = false;
    pid_t FHolder = -1;
};

}  // namespace zorv::emu
