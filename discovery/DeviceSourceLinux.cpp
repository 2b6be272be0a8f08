#include "discovery/DeviceSourceLinux.h"

#include <string>
#include <vector>

#include "discovery/DevWatcherLinux.h"
#include "discovery/SysfsTtyLinux.h"
#include "discovery/TtyPortNumbers.h"
#include "foundation/Cp1251.h"
#include "foundation/UniqueFdLinux.h"
#include "serial/PortNodePosix.h"

namespace zorv {
namespace {

class TSysfsDeviceInfoSet : public IDeviceInfoSet {
public:
    explicit TSysfsDeviceInfoSet(std::vector<std::string> names) : FNames(std::move(names)) {}
    bool EnumDeviceInfo(uint32_t Index) override { return Index < FNames.size(); }
    std::string FriendlyName(uint32_t Index) override { return Index < FNames.size() ? FNames[Index] : ""; }

private:
    std::vector<std::string> FNames;
};

std::string PathOf(const std::string& root, const TTtyPortNumbers& numbers, int32_t portNumber) {
    const std::string name = numbers.NameOf(portNumber);
    return name.empty() ? "" : DevNodePath(root, name);
}

}  // namespace

TDeviceSourceLinux::TDeviceSourceLinux(IMessageLoop& Loop, const std::string& Root)
    : FLoop(Loop), FRoot(Root), FNumbers(std::make_shared<TTtyPortNumbers>()), FHandler(std::make_shared<THandler>()) {}

TDeviceSourceLinux::~TDeviceSourceLinux() { FWatcher.reset(); }

std::string TDeviceSourceLinux::QueryDosDevices() {
    std::string list;
    for (const TSerialTty& tty : ScanSerialTtys(FRoot, *FNumbers)) list += "COM" + std::to_string(tty.PortNumber) + '\0';
    return list + '\0';
}

std::unique_ptr<IDeviceInfoSet> TDeviceSourceLinux::GetClassDevs(const std::string& InstancePath) {
    const std::string wanted = AnsiUpperCase(InstancePath);
    std::vector<std::string> names;
    for (const TSerialTty& tty : ScanSerialTtys(FRoot, *FNumbers)) {
        if (tty.InstancePath.empty() || AnsiUpperCase(tty.InstancePath) != wanted) continue;
        // The form a Windows friendly name has, so the port list reads it unchanged.
        const std::string product = tty.Product.empty() ? "USB Serial Device" : tty.Product;
        names.push_back(product + " (COM" + std::to_string(tty.PortNumber) + ")");
    }
    return std::make_unique<TSysfsDeviceInfoSet>(std::move(names));
}

TPortResult TDeviceSourceLinux::ProbeExclusive(int32_t PortNumber) {
    TPortResult result;
    // The lock goes with the descriptor.
    TUniqueFd fd(OpenPortNode(DevicePath(PortNumber), result));
    return result;
}

void TDeviceSourceLinux::RegisterNotifications(std::function<void(const TDeviceChangeMessage&)> Handler) {
    *FHandler = std::move(Handler);
    if (!FWatcher) StartWatcher();
}

void TDeviceSourceLinux::SetDeviceRoot(const std::string& Root) {
    if (Root == FRoot) return;
    FWatcher.reset();
    FRoot = Root;
    if (*FHandler) StartWatcher();
}

std::string TDeviceSourceLinux::DevicePath(int32_t PortNumber) const { return PathOf(FRoot, *FNumbers, PortNumber); }

void TDeviceSourceLinux::StartWatcher() {
    IMessageLoop& loop = FLoop;
    std::weak_ptr<THandler> handler = FHandler;
    FWatcher = std::make_unique<TDevWatcherLinux>(FRoot, [&loop, handler](uint32_t WParam) {
        try {
            loop.RunOnUiThread([handler, WParam] {
                const std::shared_ptr<THandler> live = handler.lock();
                if (live && *live) (*live)(TDeviceChangeMessage{WParam, kDbtDevTypDeviceInterface});
            });
        } catch (...) {
            // A notice that cannot be posted is lost like a dropped window message; the port check still runs.
        }
    });
}

}  // namespace zorv
