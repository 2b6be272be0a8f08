// zorv-wine-device: what plugging a USB serial device in or out does on the
// Windows side, for the emulated panel under Wine. Wine has no USB device for
// a pseudo-terminal, so this registers one with the panel's instance path and
// friendly name and the COM port interface (the program lists devices by their
// interfaces), and sends the notification Windows would send.
//
//   zorv-wine-device plug   COM<n> <instance path> <friendly name>
//   zorv-wine-device unplug COM<n> <instance path>
#include <windows.h>
// Headers that need windows.h first.
#include <dbt.h>
#include <devguid.h>
#include <initguid.h>
#include <setupapi.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The interface class of COM ports, as in the notifications Windows sends for them.
DEFINE_GUID(kComPortInterface, 0x86E0D1E0L, 0x8089, 0x11D0, 0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73);
constexpr UINT kNotifyTimeoutMs = 5000;

// Removes the device with this instance path; false when there was none.
bool RemoveDevice(const std::string& instancePath) {
    HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (set == INVALID_HANDLE_VALUE) return false;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    const bool removed = SetupDiOpenDeviceInfoA(set, instancePath.c_str(), nullptr, 0, &device) &&
                         SetupDiRemoveDevice(set, &device);
    SetupDiDestroyDeviceInfoList(set);
    return removed;
}

bool AddDevice(const std::string& instancePath, const std::string& friendlyName) {
    HDEVINFO set = SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_PORTS, nullptr);
    if (set == INVALID_HANDLE_VALUE) return false;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    const bool added =
        SetupDiCreateDeviceInfoA(set, instancePath.c_str(), &GUID_DEVCLASS_PORTS, nullptr, nullptr, 0, &device) &&
        SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_FRIENDLYNAME,
                                          reinterpret_cast<const BYTE*>(friendlyName.c_str()),
                                          static_cast<DWORD>(friendlyName.size() + 1)) &&
        SetupDiRegisterDeviceInfo(set, &device, 0, nullptr, nullptr, nullptr) &&
        SetupDiCreateDeviceInterfaceA(set, &device, &kComPortInterface, nullptr, 0, nullptr);
    SetupDiDestroyDeviceInfoList(set);
    return added;
}

// "\\?\USB#VID_FFFF&PID_2331#TVAK#{86e0d1e0-...}": the interface name Windows gives a COM port.
std::string InterfaceName(std::string instancePath) {
    for (char& c : instancePath)
        if (c == '\\') c = '#';
    return "\\\\?\\" + instancePath + "#{86E0D1E0-8089-11D0-9CE4-08003E301F73}";
}

// Windows tells every window that asked; a broadcast reaches the program's window as well.
void Notify(WPARAM event, const std::string& instancePath) {
    const std::string name = InterfaceName(instancePath);
    std::string buffer(sizeof(DEV_BROADCAST_DEVICEINTERFACE_A) + name.size(), '\0');
    auto* header = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(&buffer[0]);
    header->dbcc_size = static_cast<DWORD>(buffer.size());
    header->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    header->dbcc_classguid = kComPortInterface;
    std::memcpy(header->dbcc_name, name.c_str(), name.size() + 1);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(header),
                        SMTO_ABORTIFHUNG, kNotifyTimeoutMs, &result);
}

int Usage() {
    std::fputs("usage: zorv-wine-device plug COM<n> <instance path> <friendly name>\n"
               "       zorv-wine-device unplug COM<n> <instance path>\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "plug" && argc == 5) {
        // A device left by an earlier run that ended without unplugging is replaced.
        RemoveDevice(argv[3]);
        if (!AddDevice(argv[3], argv[4])) {
            std::fprintf(stderr, "zorv-wine-device: cannot register %s (error %lu)\n", argv[3], GetLastError());
            return 1;
        }
        Notify(DBT_DEVICEARRIVAL, argv[3]);
        return 0;
    }
    if (verb == "unplug" && argc == 4) {
        RemoveDevice(argv[3]);
        Notify(DBT_DEVICEREMOVECOMPLETE, argv[3]);
        return 0;
    }
    return Usage();
}
