#include "CommandLine.h"

#include <charconv>
#include <functional>
#include <map>

namespace zorv::emu {

namespace {

const unsigned long long kMaxMilliseconds = 600000;
const unsigned long long kMaxChunk = 65536;
// Windows numbers its COM ports up to 256.
const unsigned long long kMaxComPort = 256;

bool ParseNumber(const std::string& text, unsigned long long max, unsigned long long& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end && value <= max;
}

using ValueSetter = std::function<bool(PanelOptions&, const std::string&)>;
using FlagSetter = std::function<void(PanelOptions&)>;

ValueSetter Milliseconds(std::chrono::milliseconds PanelOptions::*field) {
    return [field](PanelOptions& options, const std::string& text) {
        unsigned long long value = 0;
        if (!ParseNumber(text, kMaxMilliseconds, value)) return false;
        options.*field = std::chrono::milliseconds(value);
        return true;
    };
}

ValueSetter NonEmpty(std::function<void(PanelOptions&, const std::string&)> set) {
    return [set](PanelOptions& options, const std::string& text) {
        if (text.empty()) return false;
        set(options, text);
        return true;
    };
}

// Any of the Wine options plugs the panel into Wine; the device tool runs as "<wine run> <device exe>".
WinePortOptions& Wine(PanelOptions& options) {
    if (!options.Wine) options.Wine = WinePortOptions{9, "", {"wine", ""}};
    return *options.Wine;
}

const std::map<std::string, ValueSetter>& ValueOptions() {
    static const std::map<std::string, ValueSetter> options = {
        {"--root", NonEmpty([](PanelOptions& o, const std::string& v) { o.DeviceRoot = v; })},
        {"--firmware", NonEmpty([](PanelOptions& o, const std::string& v) { o.FirmwareVersion = v; })},
        {"--firmware-after-restart",
         NonEmpty([](PanelOptions& o, const std::string& v) { o.VersionAfterRestart = v; })},
        {"--password",
         NonEmpty([](PanelOptions& o, const std::string& v) {
             if (v == "none")
                 o.Password.reset();
             else if (v != "default")
                 o.Password = v;
         })},
        {"--serial", NonEmpty([](PanelOptions& o, const std::string& v) { o.SerialNumber = v; })},
        {"--split",
         [](PanelOptions& o, const std::string& v) {
             unsigned long long value = 0;
             if (!ParseNumber(v, kMaxChunk, value)) return false;
             o.ReplyChunkSize = static_cast<std::size_t>(value);
             return true;
         }},
        {"--split-gap", Milliseconds(&PanelOptions::ChunkGap)},
        {"--silent", NonEmpty([](PanelOptions& o, const std::string& v) { o.SilentKeywords.insert(v); })},
        {"--value-error", NonEmpty([](PanelOptions& o, const std::string& v) { o.ValueErrorKeywords.insert(v); })},
        {"--restart-delay", Milliseconds(&PanelOptions::RestartDelay)},
        {"--tty", NonEmpty([](PanelOptions& o, const std::string& v) { o.Usb.TtyName = v; })},
        {"--usb-path", NonEmpty([](PanelOptions& o, const std::string& v) { o.Usb.UsbPath = v; })},
        {"--vid", NonEmpty([](PanelOptions& o, const std::string& v) { o.Usb.VendorId = v; })},
        {"--pid", NonEmpty([](PanelOptions& o, const std::string& v) { o.Usb.ProductId = v; })},
        {"--wine-port",
         [](PanelOptions& o, const std::string& v) {
             unsigned long long value = 0;
             if (!ParseNumber(v, kMaxComPort, value) || value == 0) return false;
             Wine(o).PortNumber = static_cast<int>(value);
             return true;
         }},
        {"--wine-link", NonEmpty([](PanelOptions& o, const std::string& v) { Wine(o).PortLink = v; })},
        {"--wine-run", NonEmpty([](PanelOptions& o, const std::string& v) { Wine(o).DeviceTool.front() = v; })},
        {"--wine-device", NonEmpty([](PanelOptions& o, const std::string& v) { Wine(o).DeviceTool.back() = v; })},
        {"--usb-serial", NonEmpty([](PanelOptions& o, const std::string& v) { o.Usb.Serial = v; })},
        {"--product", NonEmpty([](PanelOptions& o, const std::string& v) { o.Usb.Product = v; })},
    };
    return options;
}

const std::map<std::string, FlagSetter>& FlagOptions() {
    static const std::map<std::string, FlagSetter> options = {
        {"--bootloader", [](PanelOptions& o) { o.StartInBootloader = true; }},
        {"--echo", [](PanelOptions& o) { o.Echo = true; }},
    };
    return options;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        const auto equals = name.find('=');
        const bool inlineValue = equals != std::string::npos;
        if (inlineValue) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == "--help" || name == "-h") {
            result.Help = true;
            return result;
        }
        if (name == "--strict" && !inlineValue) {
            result.Strict = true;
            continue;
        }
        if (name == "--replay" || name == "--timing") {
            if (!inlineValue && i + 1 < args.size()) value = args[++i];
            if (value.empty() || (name == "--timing" && value != "log" && value != "none")) {
                result.Error = "bad value for " + name + ": " + value;
                return result;
            }
            if (name == "--replay")
                result.ReplayFile = value;
            else
                result.LogTiming = value == "log";
            continue;
        }
        if (const auto flag = FlagOptions().find(name); flag != FlagOptions().end() && !inlineValue) {
            flag->second(result.Options);
            continue;
        }
        const auto option = ValueOptions().find(name);
        if (option == ValueOptions().end()) {
            result.Error = "unknown option: " + args[i];
            return result;
        }
        if (!inlineValue) {
            if (i + 1 == args.size()) {
                result.Error = "missing value for " + name;
                return result;
            }
            value = args[++i];
        }
        if (!option->second(result.Options, value)) {
            result.Error = "bad value for " + name + ": " + value;
            return result;
        }
    }
    const auto& wine = result.Options.Wine;
    if (wine && (wine->PortLink.empty() || wine->DeviceTool.back().empty()))
        result.Error = "a Wine port needs --wine-link PATH and --wine-device EXE";
    else if (!wine && result.Options.DeviceRoot.empty())
        result.Error = "--root DIR or a Wine port is required";
    return result;
}

std::string UsageText() {
    return "Usage: zorv-panel-emulator --root DIR [options]\n"
           "       zorv-panel-emulator --wine-link PATH --wine-device EXE [--wine-port N] [options]\n"
           "Plugs an emulated Zorv GSM panel in under DIR (DIR/sys and DIR/dev), or as a COM port\n"
           "of the Wine prefix that WINEPREFIX names, prints the port's path, serves it until\n"
           "SIGINT or SIGTERM, then unplugs and prints the transcript.\n"
           "\n"
           "  --wine-port N                  the COM port's number (9)\n"
           "  --wine-link PATH               the link the prefix's registry names as that port\n"
           "                                 (HKLM\\Software\\Wine\\Ports; see cmake/wine-run.sh)\n"
           "  --wine-device EXE              zorv-wine-device.exe, which tells Wine of the device\n"
           "  --wine-run PROGRAM             what runs EXE under Wine (wine)\n"
           "  --firmware TEXT                main firmware version (5.1.10.6)\n"
           "  --firmware-after-restart TEXT  version reported after a restart\n"
           "  --bootloader                   start in the bootloader\n"
           "  --password none|default|TEXT   login: none refuses AUTH=, default is 7653\n"
           "  --serial TEXT                  serial number, or \"NOT SET\" (123456)\n"
           "  --echo                         echo every command\n"
           "  --split N                      write replies in pieces of N bytes\n"
           "  --split-gap MS                 gap between the pieces (2)\n"
           "  --silent KEYWORD               never answer this command (repeatable)\n"
           "  --value-error KEYWORD          answer this command with a value error (repeatable)\n"
           "  --restart-delay MS             time away after START_MAIN and reset (200)\n"
           "  --tty NAME                     tty name (ttyACM0)\n"
           "  --usb-path PATH                USB device folder below DIR/sys/devices\n"
           "                                 (pci0000:00/0000:00:14.0/usb1/1-1)\n"
           "  --vid HEX  --pid HEX           USB identity (ffff, 2331)\n"
           "  --usb-serial TEXT              USB serial (TVAK)\n"
           "  --product TEXT                 USB product name (Zorv GSM)\n"
           "  --replay FILE                  be the panel of this controller log (docs/replay.md)\n"
           "  --timing none|log              replay at once (none) or with the logged delays\n"
           "  --strict                       exit with 3 when the program departed from the log\n"
           "                                 (each departure is printed on standard error at once)\n";
}

}  // namespace zorv::emu
