#pragma once
// A device source whose devices the test describes.
#include <map>
#include <string>
#include <vector>

#include "discovery/DeviceSource.h"
#include "foundation/Exceptions.h"

namespace zorv::test {

class FakeDeviceSource : public IDeviceSource {
public:
    std::string QueryDosDevices() override {
        ++QueryCount;
        if (!QueryError.empty()) throw EOSError(QueryError);
        std::string list;
        for (const auto& name : DosDevices) list += name + '\0';
        return list + '\0';
    }
    std::unique_ptr<IDeviceInfoSet> GetClassDevs(const std::string& instancePath) override {
        RequestedInstancePath = instancePath;
        if (!ClassDevsAvailable) return nullptr;
        return std::make_unique<InfoSet>(FriendlyNames);
    }
    TPortResult ProbeExclusive(int32_t portNumber) override {
        Probed.push_back(portNumber);
        const auto refusal = Refusals.find(portNumber);
        if (refusal != Refusals.end()) return refusal->second;
        const auto it = Openable.find(portNumber);
        if (it != Openable.end() && it->second) return {};
        return {poBusy, 16, "Device or resource busy", "/dev/port" + std::to_string(portNumber)};
    }
    void RegisterNotifications(std::function<void(const TDeviceChangeMessage&)> handler) override {
        Handler = std::move(handler);
    }
    void SetDeviceRoot(const std::string& root) override { Root = root; }

    void Notify(uint32_t wParam, uint32_t deviceType = kDbtDevTypDeviceInterface) {
        if (Handler) Handler(TDeviceChangeMessage{wParam, deviceType});
    }

    // A present panel whose port is COMn, as the system lists it.
    void AddPanel(int32_t n, bool openable = true) {
        DosDevices.push_back("COM" + std::to_string(n));
        FriendlyNames.push_back("Zorv GSM (COM" + std::to_string(n) + ")");
        Openable[n] = openable;
    }
    // The panel on COMn is plugged in (the only device), and the system announces it.
    void PlugPanel(int32_t n) {
        DosDevices.clear();
        FriendlyNames.clear();
        AddPanel(n);
        Notify(kDbtDeviceArrival);
    }
    // Every device goes, and the system announces it.
    void UnplugAll() {
        DosDevices.clear();
        FriendlyNames.clear();
        Notify(kDbtDeviceRemoveComplete);
    }

    std::vector<std::string> DosDevices;
    std::vector<std::string> FriendlyNames;
    std::map<int32_t, bool> Openable;     // false: held by another program
    std::map<int32_t, TPortResult> Refusals;  // the system's reason, before Openable
    bool ClassDevsAvailable = true;
    std::string QueryError;
    std::string RequestedInstancePath;
    std::vector<int32_t> Probed;
    int QueryCount = 0;
    std::string Root;
    std::function<void(const TDeviceChangeMessage&)> Handler;

private:
    class InfoSet : public IDeviceInfoSet {
    public:
        explicit InfoSet(std::vector<std::string> names) : FNames(std::move(names)) {}
        bool EnumDeviceInfo(uint32_t index) override { return index < FNames.size(); }
        std::string FriendlyName(uint32_t index) override { return index < FNames.size() ? FNames[index] : ""; }

    private:
        std::vector<std::string> FNames;
    };
};

}  // namespace zorv::test
