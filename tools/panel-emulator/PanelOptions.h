#pragma once
// What an emulated panel is and how it behaves; every field has the value of an
// ordinary panel with supported firmware, so a test changes only what it is about.
#include <chrono>
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "PanelFault.h"

namespace zorv::emu {

// The USB device that the panel presents under the device root.
struct UsbIdentity {
    std::string VendorId = "ffff";
    std::string ProductId = "2331";
    std::string Serial = "TVAK";
    std::string Product = "Zorv GSM";
    // The device's folder below <root>/sys/devices; its last component names the interface ("1-1:1.0").
    std::string UsbPath = "pci0000:00/0000:00:14.0/usb1/1-1";
    std::string TtyName = "ttyACM0";
};

// The panel as a COM port of a Wine prefix, for the Windows program under Wine.
struct WinePortOptions {
    int PortNumber = 9;
    // The link that the prefix's registry names as the port (HKLM\Software\Wine\Ports, value COM<n>);
    // plugging in points it at the pseudo-terminal, unplugging removes it.
    std::string PortLink;
    // Runs the device tool under Wine: the wrapper (wine itself, or a script) and zorv-wine-device.exe.
    std::vector<std::string> DeviceTool;
};

struct PanelOptions {
    // Where the panel is plugged in: under this device root, or as a Wine COM port when Wine is set.
    std::string DeviceRoot;
    std::optional<WinePortOptions> Wine;
    UsbIdentity Usb;

    std::string FirmwareVersion = "5.1.10.6";
    // The version the firmware reports after a restart (a firmware change); empty keeps it.
    std::optional<std::string> VersionAfterRestart;
    bool StartInBootloader = false;
    // The bootloader takes "START_MAIN" without an answer and stays: the panel never restarts.
    bool BootloaderStuck = false;

    // The access password; none means the firmware has no login and refuses "AUTH=".
    std::optional<std::string> Password = std::string("7653");
    // The text after "KVELT_SN=": the decimal serial number, or "NOT SET".
    std::string SerialNumber = "123456";

    bool Echo = false;
    // The echo comes back with the case of every letter swapped (implies Echo).
    bool EchoChangedCase = false;
    // Every write is split into pieces of this many bytes with a gap between them; 0 writes whole lines.
    std::size_t ReplyChunkSize = 0;
    std::chrono::milliseconds ChunkGap{2};

    // Commands by keyword (the text before "?" or "=", any letter case).
    std::set<std::string> SilentKeywords;      // not answered at all
    std::set<std::string> ValueErrorKeywords;  // answered with a value error

    // The fault in force from the first command on; PanelEmulator::SetFault changes it later.
    PanelFault Fault = PanelFault::None;
    // Garbage: the bytes per answer, and the seed of their generator, so a run can be repeated.
    std::size_t GarbageBytes = 64;
    unsigned GarbageSeed = 1;
    // Flood: the bytes per answer, made of this pattern over and over.
    std::size_t FloodBytes = std::size_t(1) << 20;
    std::string FloodPattern = "x";

    // How long the panel stays away after "START_MAIN" and "reset".
    std::chrono::milliseconds RestartDelay{200};

    // Bounds that keep a misbehaving peer from growing memory: the longest
    // command kept (longer ones are cut and not answered) and the record's length.
    std::size_t MaxLineLength = 4096;
    std::size_t MaxRecordedEntries = 20000;
    // A reply that the peer does not drain within this time is dropped.
    std::chrono::milliseconds WriteTimeout{1000};
};

}  // namespace zorv::emu
