#include "PtyPanels.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <thread>

#include "serial/ComPortDrv.h"
#include "serial/CommBackendLinux.h"

namespace zorv::test {
namespace {

using namespace std::chrono_literals;

// Nothing moved on the real side for this long (and nothing is seen on its way): the panel's
// and the driver's threads are done with what they had, so the loop may skip to its next timer.
constexpr auto kQuiet = 30ms;
// What the panel writes reaches the program's side of the terminal through a kernel worker,
// which a loaded machine delays; until then the program's side shows no byte waiting.
constexpr auto kTerminalLatency = 250ms;
// A timer due this soon falls due at once (the port's 10 ms input timer, the start tick).
constexpr uint64_t kNearMs = 10;
// How long a panel's thread is given to read what it was sent, or to take up a restart.
constexpr auto kSettleLimit = 2s;

// Another USB serial device: none of the panel's, so the program never opens it.
emu::PanelOptions OtherDevice(const std::string& root) {
    emu::PanelOptions options;
    options.DeviceRoot = root;
    options.Usb = {"0403", "6001", "A50285BI", "FT232R USB UART", "pci0000:00/0000:00:14.0/usb1/1-2", "ttyUSB0"};
    return options;
}

bool Until(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + kSettleLimit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

}  // namespace

PtyPanels::PtyPanels(FakeMessageLoop& loop)
    : FLoop(loop),
      FDevices(loop, "/"),
      FBackend(MakeLinuxCommBackend([this](int32_t port) { return FDevices.DevicePath(port); })) {}

PtyPanels::~PtyPanels() = default;

std::string PtyPanels::IniLines(const std::string& folder) {
    FRoot = folder + "root";
    std::filesystem::create_directories(FRoot + "/dev");
    return "[Linux]\nDeviceRoot=" + FRoot + "\n";
}

bool PtyPanels::Step(uint64_t untilMs) {
    // Virtual time keeps the pace of real time, so the timers that race with the real side (the
    // port check, the script watchdog) fall due no later than they would; but after a stall of
    // this thread (a slow machine, a wait for a panel) it does not leap to catch up.
    const Clock::time_point now = Clock::now();
    const auto passed = std::chrono::duration_cast<std::chrono::milliseconds>(now - FLastLook);
    FLastLook += passed;
    FPaced = std::max(FPaced + std::min<uint64_t>(static_cast<uint64_t>(passed.count()), kNearMs), FLoop.ElapsedMs());
    if (FLoop.AdvanceOne(std::min(untilMs, FPaced))) return true;
    if (FLoop.ElapsedMs() >= untilMs) return false;
    if (Moved()) FQuietSince = now;
    // Faster where the form allows it: to a near timer at once; to a far one once nothing has moved
    // for a while, nothing is on its way between the program and the panel, and the panel is not
    // away in a restart, which takes its real time.
    if (FLoop.NextDueMs() <= FLoop.ElapsedMs() + kNearMs || (now - FQuietSince >= kQuiet && Idle())) {
        FLoop.AdvanceOne(untilMs);
        return true;
    }
    std::this_thread::sleep_for(1ms);
    return true;
}

PtyPanels::PanelState PtyPanels::Look() const {
    if (FPanels.empty() || !FPanels.back()->Plugged()) return {true, false, false, false};
    const emu::PanelRecord& record = FPanels.back()->Record();
    const std::vector<emu::TranscriptEntry> entries = record.Entries();
    // An unasked line last: the panel holds its answer back for a while, and nothing moves meanwhile.
    const bool holding = !entries.empty() && entries.back().Kind == emu::EntryKind::Sent &&
                         entries.back().Text == emu::kUnaskedLine;
    const auto sent = std::find_if(entries.rbegin(), entries.rend(),
                                   [](const emu::TranscriptEntry& entry) { return entry.Kind == emu::EntryKind::Sent; });
    const bool sending = sent != entries.rend() && Clock::now() - sent->Time < kTerminalLatency;
    size_t read = 0;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->Kind == emu::EntryKind::Received) ++read;
        if (entry->Event == emu::PanelEvent::PluggedIn) break;
        // Plugged in, but its terminal gone: in a restart.
        if (entry->Event == emu::PanelEvent::Restarting || entry->Event == emu::PanelEvent::Unplugged)
            return {true, true, false, false};
    }
    // Lines that went to an earlier terminal are gone with it.
    return {FPanels.size() != FWritePanel || record.PlugCount() != FWritePlug || read >= FLinesWritten, false, holding,
            sending};
}

bool PtyPanels::Idle() const {
    const PanelState panel = Look();
    if (!panel.ReadAll || panel.Away || panel.HoldingAnswer || panel.Sending) return false;
    // Nothing the panel sent waits for the driver's reader.
    int unread = 0;
    return CommDrv.Handle == kCommHandleNone ||
           ::ioctl(static_cast<int>(CommDrv.Handle), FIONREAD, &unread) != 0 || unread == 0;
}

bool PtyPanels::Moved() {
    size_t entries = FOther ? FOther->Record().EntriesAdded() : 0;
    for (const auto& panel : FPanels) entries += panel->Record().EntriesAdded();
    const bool moved = entries != FEntries || FLoop.Handled() != FHandled || FWrites != FWritesSeen;
    FEntries = entries;
    FHandled = FLoop.Handled();
    FWritesSeen = FWrites;
    return moved;
}

void PtyPanels::Plug(const emu::PanelOptions* options) {
    if (!FPanels.empty() && FPanels.back()->Plugged()) return;  // away in a restart, it comes back by itself
    if (options) {
        emu::PanelOptions rooted = *options;
        rooted.DeviceRoot = FRoot;
        FPanels.push_back(std::make_unique<emu::PanelEmulator>(rooted));
    } else if (FPanels.empty()) {
        return;
    }
    Change(*FPanels.back(), true);
}

void PtyPanels::Unplug() {
    if (!FPanels.empty()) Change(*FPanels.back(), false);
}

void PtyPanels::Restart() {
    if (!Present()) return;
    const emu::PanelRecord& record = FPanels.back()->Record();
    const int plugs = record.PlugCount();
    const uint64_t posted = FLoop.PostedCount();
    FPanels.back()->Restart();
    // Gone, and the notice on its way, when this returns, as on the loop; the panel's thread restarts.
    Until([&] {
        return (record.SlavePath().empty() || record.PlugCount() != plugs) && FLoop.PostedCount() != posted;
    });
    FQuietSince = Clock::now();
}

void PtyPanels::SetFault(emu::PanelFault fault) {
    if (!FPanels.empty()) FPanels.back()->SetFault(fault);
    FQuietSince = Clock::now();
}

void PtyPanels::SetOtherDevice(bool plugged) {
    if (!FOther) FOther = std::make_unique<emu::PanelEmulator>(OtherDevice(FRoot));
    Change(*FOther, plugged);
}

void PtyPanels::Change(emu::PanelEmulator& device, bool plugged) {
    if (device.Plugged() == plugged) return;
    const uint64_t posted = FLoop.PostedCount();
    if (plugged) device.Plug();
    else device.Unplug();
    // As on the loop, the system's notice is on its way to the form when this returns.
    Until([&] { return FLoop.PostedCount() != posted; });
    FQuietSince = Clock::now();
}

bool PtyPanels::Present() const {
    return !FPanels.empty() && FPanels.back()->Plugged() && !FPanels.back()->Record().SlavePath().empty();
}

bool PtyPanels::Connected() const {
    // The program's port is the present panel's terminal (pseudo-terminal numbers are reused,
    // so the device number alone does not tell), and that terminal has not been hung up.
    if (!Present() || CommDrv.Handle == kCommHandleNone) return false;
    const int fd = static_cast<int>(CommDrv.Handle);
    struct stat open {}, present {};
    pollfd hangup{fd, 0, 0};
    return ::fstat(fd, &open) == 0 && ::stat(FPanels.back()->Record().SlavePath().c_str(), &present) == 0 &&
           open.st_rdev == present.st_rdev && ::poll(&hangup, 1, 0) == 0;
}

bool PtyPanels::Settled(const std::function<bool()>& judged) const { return Until(judged); }

void PtyPanels::CheckReadLines(DialogueInvariants& invariants) const {
    std::optional<emu::Clock::time_point> firstReset;
    for (const emu::PanelRecord* record : Records())
        for (const auto& entry : record->Entries())
            if (entry.Kind == emu::EntryKind::Received && entry.Text == "reset" && (!firstReset || entry.Time < *firstReset))
                firstReset = entry.Time;
    for (const emu::PanelRecord* record : Records()) invariants.CheckRecordedLines(*record, firstReset);
    if (FOther && !FOther->Record().ReceivedTexts().empty())
        invariants.Violations.push_back("the other USB serial device was written to");
}

std::vector<const emu::PanelRecord*> PtyPanels::Records() const {
    std::vector<const emu::PanelRecord*> records;
    for (const auto& panel : FPanels) records.push_back(&panel->Record());
    return records;
}

uint32_t PtyPanels::Write(TCommHandle Handle, const uint8_t* Bytes, uint32_t Count) {
    const uint32_t written = FBackend->Write(Handle, Bytes, Count);
    ++FWrites;
    const int plug = FPanels.empty() ? 0 : FPanels.back()->Record().PlugCount();
    if (FPanels.size() != FWritePanel || plug != FWritePlug) {
        FWritePanel = FPanels.size();
        FWritePlug = plug;
        FLinesWritten = 0;
    }
    FLinesWritten += static_cast<size_t>(std::count(Bytes, Bytes + written, '\n'));
    return written;
}

void PtyPanels::CatchUp() {
    Until([this] { return Look().ReadAll; });
}

}  // namespace zorv::test
