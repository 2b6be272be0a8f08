#pragma once
// A device root laid out as on a real machine, for the Linux device source:
// USB ttys under sys/devices/<usb path>/<interface>/tty/<name> with the USB
// attributes in <usb path>, platform ttys without them, consoles without a
// device link, the class links in sys/class/tty and the nodes in dev.
#include <map>
#include <string>

namespace zorv::test {

struct UsbAttributes {
    std::string VendorId = "ffff";
    std::string ProductId = "2331";
    std::string Serial = "TVAK";
    std::string Product = "Zorv GSM";
};

class FakeSysfsTree {
public:
    explicit FakeSysfsTree(std::string root);
    ~FakeSysfsTree();
    FakeSysfsTree(const FakeSysfsTree&) = delete;
    FakeSysfsTree& operator=(const FakeSysfsTree&) = delete;

    const std::string& Root() const { return FRoot; }
    // A tty of a USB interface; usbPath such as "pci0000:00/usb1/1-1". Returns the USB device folder.
    std::string UsbTty(const std::string& name, const std::string& usbPath, const UsbAttributes& usb = {},
                       bool withNode = true);
    // A tty of an on-board UART: it has a device, but no USB identity.
    void PlatformTty(const std::string& name, bool withNode = true);
    // A virtual console: no device link.
    void Console(const std::string& name);
    // dev/<name> as a link to the slave of a pseudo-terminal of its own, a
    // character device as the port's node must be. Returns the slave's path.
    std::string Node(const std::string& name);
    void RemoveNode(const std::string& name);
    // A file below the root, replaced when present.
    void Write(const std::string& relativePath, const std::string& bytes);

private:
    void ClassLink(const std::string& name, const std::string& ttyFolder);

    std::string FRoot;
    std::map<std::string, int> FMasters;  // the pseudo-terminal behind each node
};

}  // namespace zorv::test
