#include "WinePort.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <system_error>

extern char** environ;

namespace zorv::emu {

namespace fs = std::filesystem;

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

WinePortOptions Checked(WinePortOptions port) {
    if (port.PortNumber < 1) throw std::invalid_argument("the COM port number must be above 0");
    if (port.PortLink.empty()) throw std::invalid_argument("the COM port's link is empty");
    if (port.DeviceTool.empty()) throw std::invalid_argument("no device tool to run under Wine");
    return port;
}

}  // namespace

WinePort::WinePort(WinePortOptions port, const UsbIdentity& usb)
    : FPort(Checked(std::move(port))),
      FPortName("COM" + std::to_string(FPort.PortNumber)),
      FInstancePath("USB\\VID_" + Upper(usb.VendorId) + "&PID_" + Upper(usb.ProductId) + "\\" + usb.Serial),
      FFriendlyName(usb.Product + " (" + FPortName + ")") {}

void WinePort::Plug(const PseudoTerminal& terminal) {
    HoldTerminal(terminal);
    fs::remove(FPort.PortLink);
    fs::create_symlink(terminal.SlavePath(), FPort.PortLink);
    FRegistered = true;
    // A Wine process can fail to start while the prefix's server is busy with another: try again.
    bool plugged = false;
    for (int attempt = 0; attempt < 3 && !plugged; ++attempt)
        plugged = RunDeviceTool({"plug", FPortName, FInstancePath, FFriendlyName});
    if (!plugged)
        throw std::runtime_error("the device tool could not plug in " + FPortName);
}

void WinePort::Unplug() noexcept {
    std::error_code ignored;
    fs::remove(FPort.PortLink, ignored);
    if (FRegistered) {
        FRegistered = false;
        // Nothing more can be done when the tool fails; the next plug replaces what is left.
        RunDeviceTool({"unplug", FPortName, FInstancePath});
    }
    ReleaseTerminal();
}

void WinePort::HoldTerminal(const PseudoTerminal& terminal) {
    ReleaseTerminal();
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe2");
    FHolder = ::fork();
    if (FHolder == 0) {
        // Only async-signal-safe calls in the child of a threaded process. The
        // terminal is taken through the emulator's own descriptor: an open of
        // its own would count as the program's. The exec closes every
        // descriptor (all are close-on-exec), so the holder keeps no panel's
        // terminal open; the controlling terminal stays.
        ::setsid();
        if (::ioctl(terminal.Slave(), TIOCSCTTY, 0) != 0) ::_exit(1);
        const char one = 1;
        if (::write(ready[1], &one, 1) != 1) ::_exit(1);
        ::execlp("sleep", "sleep", "infinity", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const int forkError = errno;
    ::close(ready[1]);
    char byte = 0;
    const bool held = FHolder > 0 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    if (FHolder < 0) throw std::system_error(forkError, std::generic_category(), "fork");
    if (!held) {
        ReleaseTerminal();
        throw std::runtime_error("cannot hold the terminal " + terminal.SlavePath());
    }
}

void WinePort::ReleaseTerminal() noexcept {
    if (FHolder <= 0) return;
    ::kill(FHolder, SIGKILL);
    ::waitpid(FHolder, nullptr, 0);
    FHolder = -1;
}

bool WinePort::RunDeviceTool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command = FPort.DeviceTool;
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : command) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace zorv::emu
