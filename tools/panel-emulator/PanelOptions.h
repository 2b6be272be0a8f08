#pragma once
// What an emulated panel is and how it behaves; every field has the value of an
// ordinary panel with supported firmware, so a test changes only what it is about.
#include <chrono>
#include <cstddef>
#include <optional>
#include <set>
#include <string>

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

struct PanelOptions {
    std::string DeviceRoot;
    UsbIdentity Usb;

    std::string FirmwareVersion = "5.1.10.6";
    // The version the firmware reports after a restart (a firmware change); empty keeps it.
    std::optional<std::string> VersionAfterRestart;
    bool StartInBootloader = false;

    // The access password; none means the firmware has no login and refuses "AUTH=".
    std::optional<std::string> Password = std::string("7653");
    // The text after "KVELT_SN=": the decimal serial number, or "NOT SET".
    std::string SerialNumber = "123456";

    bool Echo = false;
    // Every write is split into pieces of this many bytes with a gap between them; 0 writes whole lines.
    std::size_t ReplyChunkSize = 0;
    std::chrono::milliseconds ChunkGap{2};

    // Commands by keyword (the text before "?" or "=", any letter case).
    std::set<std::string> SilentKeywords;      // not answered at all
    std::set<std::string> ValueErrorKeywords;  // answered with a value error

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
