#include "discovery/SysfsTtyLinux.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "foundation/Cp1251.h"
#include "foundation/TextUtils.h"
#include "foundation/UniqueFdLinux.h"

namespace zorv {
namespace fs = std::filesystem;
namespace {

// Attribute files of sysfs are short; anything longer is not one.
constexpr size_t kAttributeLimit = 256;

// The first line of a regular file, trimmed; empty when it cannot be read.
// Whatever is planted in its place is never read: a FIFO would block the scan,
// and opening a device (a serial port resets many boards) is not harmless.
// The test before the open keeps it closed; the one after catches a swap.
std::string ReadAttribute(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return "";
    TUniqueFd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return "";
    char buffer[kAttributeLimit];
    const ssize_t count = ::read(fd.Get(), buffer, sizeof buffer);
    if (count <= 0) return "";
    std::string text(buffer, static_cast<size_t>(count));
    return TrimControl(text.substr(0, text.find_first_of(std::string("\n\0", 2))));
}

// A USB id of one to four hexadecimal digits, written as four upper-case digits.
bool FormatUsbId(const std::string& text, std::string& id) {
    if (text.empty() || text.size() > 4) return false;
    unsigned value = 0;
    for (const char c : text) {
        const int digit = (c >= '0' && c <= '9') ? c - '0'
                          : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : -1;
        if (digit < 0) return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04X", value);
    id = buffer;
    return true;
}

bool IsWithin(const fs::path& path, const fs::path& folder) {
    const std::string p = path.string();
    const std::string f = folder.string();
    return p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '/');
}

bool IsRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// Fills the USB identity from the nearest ancestor of the device folder, within <root>/sys.
void ReadUsbIdentity(const fs::path& deviceLink, const fs::path& sysRoot, TSerialTty& tty) {
    std::error_code ec;
    fs::path folder = fs::canonical(deviceLink, ec);
    if (ec) return;
    while (IsWithin(folder, sysRoot)) {
        if (IsRegularFile(folder / "idVendor") && IsRegularFile(folder / "idProduct") &&
            IsRegularFile(folder / "serial")) {
            std::string vendor, product;
            const std::string serial = ReadAttribute(folder / "serial");
            if (!FormatUsbId(ReadAttribute(folder / "idVendor"), vendor) ||
                !FormatUsbId(ReadAttribute(folder / "idProduct"), product) || serial.empty())
                return;
            tty.InstancePath = "USB\\VID_" + vendor + "&PID_" + product + "\\" + Utf8ToCp1251(serial);
            tty.Product = Utf8ToCp1251(ReadAttribute(folder / "product"));
            return;
        }
        if (folder == sysRoot) return;
        folder = folder.parent_path();
    }
}

}  // namespace

std::string DevNodePath(const std::string& Root, const std::string& TtyName) {
    return (fs::path(Root) / "dev" / TtyName).string();
}

std::vector<TSerialTty> ScanSerialTtys(const std::string& Root, TTtyPortNumbers& Numbers) {
    std::vector<TSerialTty> ttys;
    std::error_code ec;
    const fs::path sysRoot = fs::canonical(fs::path(Root) / "sys", ec);
    if (ec) return ttys;
    const fs::path classFolder = fs::path(Root) / "sys" / "class" / "tty";
    fs::directory_iterator it(classFolder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const fs::path deviceLink = it->path() / "device";
        // Consoles and pseudo-terminals have no device; a node not (or no longer) in dev is not a port.
        if (!fs::exists(deviceLink, ec) || ec || !fs::exists(DevNodePath(Root, name), ec) || ec) {
            ec.clear();
            continue;
        }
        TSerialTty tty;
        tty.Name = name;
        tty.PortNumber = Numbers.NumberOf(name);
        ReadUsbIdentity(deviceLink, sysRoot, tty);
        ttys.push_back(std::move(tty));
    }
    std::sort(ttys.begin(), ttys.end(),
              [](const TSerialTty& a, const TSerialTty& b) { return a.PortNumber < b.PortNumber; });
    return ttys;
}

}  // namespace zorv
