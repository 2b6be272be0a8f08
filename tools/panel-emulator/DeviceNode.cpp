#include "DeviceNode.h"

#include <sys/sysmacros.h>

#include <fstream>
#include <stdexcept>

namespace zorv::emu {

namespace fs = std::filesystem;

namespace {

bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

bool IsPlainRelativePath(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.back() == '/') return false;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find('/', start), path.size());
        if (!IsPlainName(path.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

void WriteTextFile(const fs::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text << '\n';
    if (!file.flush())
        throw fs::filesystem_error("cannot write", path, std::make_error_code(std::errc::io_error));
}

void ReplaceSymlink(const fs::path& target, const fs::path& link) {
    fs::remove(link);
    fs::create_symlink(target, link);
}

}  // namespace

DeviceNode::DeviceNode(const std::string& root, UsbIdentity usb) : FUsb(std::move(usb)) {
    if (root.empty()) throw std::invalid_argument("the device root is empty");
    if (!IsPlainRelativePath(FUsb.UsbPath)) throw std::invalid_argument("bad USB path: " + FUsb.UsbPath);
    if (!IsPlainName(FUsb.TtyName)) throw std::invalid_argument("bad tty name: " + FUsb.TtyName);
    const fs::path rootPath(root);
    FUsbFolder = rootPath / "sys" / "devices" / FUsb.UsbPath;
    FInterfaceName = FUsbFolder.filename().string() + ":1.0";
    FTtyFolder = FUsbFolder / FInterfaceName / "tty" / FUsb.TtyName;
    FClassLink = rootPath / "sys" / "class" / "tty" / FUsb.TtyName;
    FDevLink = rootPath / "dev" / FUsb.TtyName;
}

void DeviceNode::Plug(const std::string& slavePath, dev_t slaveDevice) {
    CreateSysfs(slaveDevice);
    fs::create_directories(FDevLink.parent_path());
    ReplaceSymlink(slavePath, FDevLink);
}

void DeviceNode::CreateSysfs(dev_t slaveDevice) {
    fs::create_directories(FTtyFolder);
    WriteTextFile(FUsbFolder / "idVendor", FUsb.VendorId);
    WriteTextFile(FUsbFolder / "idProduct", FUsb.ProductId);
    WriteTextFile(FUsbFolder / "serial", FUsb.Serial);
    WriteTextFile(FUsbFolder / "product", FUsb.Product);
    WriteTextFile(FTtyFolder / "dev",
                  std::to_string(major(slaveDevice)) + ":" + std::to_string(minor(slaveDevice)));
    ReplaceSymlink(fs::path("../../..") / FInterfaceName, FTtyFolder / "device");

    fs::create_directories(FClassLink.parent_path());
    const fs::path fromClassFolder = fs::path("../../devices") / FUsb.UsbPath / FInterfaceName / "tty" / FUsb.TtyName;
    ReplaceSymlink(fromClassFolder, FClassLink);
}

void DeviceNode::Unplug() noexcept {
    std::error_code ignored;
    fs::remove(FDevLink, ignored);
    fs::remove(FClassLink, ignored);
    fs::remove_all(FUsbFolder, ignored);
}

}  // namespace zorv::emu
