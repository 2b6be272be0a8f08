#include "FakeSysfsTree.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace zorv::test {
namespace fs = std::filesystem;

FakeSysfsTree::FakeSysfsTree(std::string root) : FRoot(std::move(root)) {
    fs::create_directories(fs::path(FRoot) / "sys/class/tty");
    fs::create_directories(fs::path(FRoot) / "dev");
}

FakeSysfsTree::~FakeSysfsTree() {
    for (const auto& node : FMasters) ::close(node.second);
}

void FakeSysfsTree::Write(const std::string& relativePath, const std::string& bytes) {
    const fs::path path = fs::path(FRoot) / relativePath;
    fs::create_directories(path.parent_path());
    fs::remove(path);
    std::ofstream(path, std::ios::binary) << bytes;
}

void FakeSysfsTree::ClassLink(const std::string& name, const std::string& ttyFolder) {
    const fs::path link = fs::path(FRoot) / "sys/class/tty" / name;
    fs::remove(link);
    fs::create_symlink(fs::path("../../devices") / ttyFolder, link);
}

std::string FakeSysfsTree::UsbTty(const std::string& name, const std::string& usbPath, const UsbAttributes& usb,
                                  bool withNode) {
    const std::string usbFolder = "sys/devices/" + usbPath;
    const std::string interfaceName = fs::path(usbPath).filename().string() + ":1.0";
    const fs::path ttyFolder = fs::path(FRoot) / usbFolder / interfaceName / "tty" / name;
    fs::create_directories(ttyFolder);
    Write(usbFolder + "/idVendor", usb.VendorId + "\n");
    Write(usbFolder + "/idProduct", usb.ProductId + "\n");
    Write(usbFolder + "/serial", usb.Serial + "\n");
    Write(usbFolder + "/product", usb.Product + "\n");
    fs::create_symlink(fs::path("../../..") / interfaceName, ttyFolder / "device");
    ClassLink(name, usbPath + "/" + interfaceName + "/tty/" + name);
    if (withNode) Node(name);
    return (fs::path(FRoot) / usbFolder).string();
}

void FakeSysfsTree::PlatformTty(const std::string& name, bool withNode) {
    const fs::path ttyFolder = fs::path(FRoot) / "sys/devices/platform/serial8250/tty" / name;
    fs::create_directories(ttyFolder);
    fs::create_symlink("../../../serial8250", ttyFolder / "device");
    ClassLink(name, "platform/serial8250/tty/" + name);
    if (withNode) Node(name);
}

void FakeSysfsTree::Console(const std::string& name) {
    fs::create_directories(fs::path(FRoot) / "sys/devices/virtual/tty" / name);
    ClassLink(name, "virtual/tty/" + name);
    Node(name);
}

std::string FakeSysfsTree::Node(const std::string& name) {
    RemoveNode(name);
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char slave[128];
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, slave, sizeof slave) != 0) {
        if (master >= 0) ::close(master);
        throw std::runtime_error("no pseudo-terminal for " + name);
    }
    FMasters[name] = master;
    fs::create_symlink(slave, fs::path(FRoot) / "dev" / name);
    return slave;
}

void FakeSysfsTree::RemoveNode(const std::string& name) {
    fs::remove(fs::path(FRoot) / "dev" / name);
    const auto it = FMasters.find(name);
    if (it == FMasters.end()) return;
    ::close(it->second);
    FMasters.erase(it);
}

}  // namespace zorv::test
