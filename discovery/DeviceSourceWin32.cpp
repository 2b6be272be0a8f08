#include "discovery/DeviceSourceWin32.h"

#include <dbt.h>
#include <setupapi.h>

#include <vector>

#include "foundation/Exceptions.h"
#include "serial/PortResult.h"

namespace zorv {
namespace {

// The device-name list starts at 65535 characters and grows by 1024 only when
// the system reports it too small; past this size the system is not answering sensibly.
constexpr DWORD kInitialNamesSize = 65535;
constexpr DWORD kNamesSizeLimit = 16 * 1024 * 1024;
constexpr DWORD kFriendlyNameSize = 257;

class THandleDeviceInfoSet : public IDeviceInfoSet {
public:
    explicit THandleDeviceInfoSet(HDEVINFO Set) : FSet(Set) {}
    ~THandleDeviceInfoSet() override { SetupDiDestroyDeviceInfoList(FSet); }
    THandleDeviceInfoSet(const THandleDeviceInfoSet&) = delete;
    THandleDeviceInfoSet& operator=(const THandleDeviceInfoSet&) = delete;

    bool EnumDeviceInfo(uint32_t Index) override {
        SP_DEVINFO_DATA data = Element();
        return SetupDiEnumDeviceInfo(FSet, Index, &data) != FALSE;
    }

    // The call's own success is not examined: a device without a friendly name gives an empty one.
    std::string FriendlyName(uint32_t Index) override {
        SP_DEVINFO_DATA data = Element();
        if (!SetupDiEnumDeviceInfo(FSet, Index, &data)) return "";
        BYTE buffer[kFriendlyNameSize] = {0};
        DWORD type = 0;
        DWORD required = 0;
        SetupDiGetDeviceRegistryPropertyA(FSet, &data, SPDRP_FRIENDLYNAME, &type, buffer, kFriendlyNameSize, &required);
        const char* text = reinterpret_cast<const char*>(buffer);
        size_t length = 0;
        while (length < kFriendlyNameSize && text[length] != '\0') ++length;
        return std::string(text, length);
    }

private:
    // cbSize is the structure's size for this build (28 bytes for 32-bit code, 32 for 64-bit).
    static SP_DEVINFO_DATA Element() {
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof data;
        return data;
    }

    HDEVINFO FSet;
};

class TFileHandle {
public:
    explicit TFileHandle(HANDLE Handle) : FHandle(Handle) {}
    ~TFileHandle() {
        if (Valid()) CloseHandle(FHandle);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }

private:
    HANDLE FHandle;
};

}  // namespace

TDeviceSourceWin32::TDeviceSourceWin32(HWND Window) : FWindow(Window) {}

std::string TDeviceSourceWin32::QueryDosDevices() {
    std::vector<char> buffer(kInitialNamesSize);
    for (;;) {
        SetLastError(0);
        const DWORD count = QueryDosDeviceA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        const DWORD error = GetLastError();
        if (error == ERROR_INSUFFICIENT_BUFFER) {
            const DWORD next = count != 0 ? count + 1024 : static_cast<DWORD>(buffer.size()) + 1024;
            if (next > kNamesSizeLimit) throw EOSError(SystemErrorText(error));
            buffer.resize(next);
            continue;
        }
        if (error != 0) throw EOSError(SystemErrorText(error));
        // A count of 0 without an error would otherwise repeat the call for ever.
        if (count == 0) return std::string(2, '\0');
        return std::string(buffer.data(), count);
    }
}

std::unique_ptr<IDeviceInfoSet> TDeviceSourceWin32::GetClassDevs(const std::string& InstancePath) {
    const HDEVINFO set =
        SetupDiGetClassDevsA(nullptr, InstancePath.c_str(), nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<THandleDeviceInfoSet>(set);
}

TPortResult TDeviceSourceWin32::ProbeExclusive(int32_t PortNumber) {
    const std::string name = "\\\\.\\COM" + std::to_string(PortNumber);
    const TFileHandle port(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OVERLAPPED, nullptr));
    return port.Valid() ? TPortResult{} : PortFailure(GetLastError(), name);
}

void TDeviceSourceWin32::RegisterNotifications(std::function<void(const TDeviceChangeMessage&)> Handler) {
    FHandler = std::move(Handler);
    if (FRegistered) return;
    DEV_BROADCAST_DEVICEINTERFACE_A filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    // The notification handle is kept by the system until the process ends.
    FRegistered = RegisterDeviceNotificationA(FWindow, &filter,
                                              DEVICE_NOTIFY_WINDOW_HANDLE | DEVICE_NOTIFY_ALL_INTERFACE_CLASSES) != nullptr;
}

void TDeviceSourceWin32::SetDeviceRoot(const std::string&) {}

LRESULT TDeviceSourceWin32::HandleDeviceChange(WPARAM wParam, LPARAM lParam) {
    TDeviceChangeMessage message;
    message.WParam = static_cast<uint32_t>(wParam);
    if (lParam != 0) message.DeviceType = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam)->dbch_devicetype;
    if (FHandler) FHandler(message);
    return 0;
}

}  // namespace zorv
