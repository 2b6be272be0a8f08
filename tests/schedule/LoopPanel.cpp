#include "LoopPanel.h"

#include <algorithm>
#include <chrono>

#include "serial/ComPortDrv.h"

namespace zorv::test {
namespace {

// The panel reads a command and answers it within a millisecond.
constexpr unsigned kAnswerDelayMs = 1;

std::string PortPath(int32_t port) { return "/dev/ttyACM" + std::to_string(port); }

}  // namespace

LoopPanels::Panel::Panel(const emu::PanelOptions& options, std::function<emu::Clock::time_point()> now)
    : Options(options),
      Record(options.MaxRecordedEntries, std::move(now), emu::Clock::time_point()),
      Logic(options),
      Assembler(options.MaxLineLength),
      Faulty(options.GarbageBytes, options.GarbageSeed, options.FloodBytes, options.FloodPattern),
      Fault(options.Fault) {}

LoopPanels::LoopPanels(FakeMessageLoop& loop) : FLoop(loop) {}

LoopPanels::~LoopPanels() {
    if (CommDrv.Backend != this) return;
    CommDrvClose(CommDrv);
    CommDrv.Backend = nullptr;
}

TPortResult LoopPanels::Open(TCommDrv& Drv) {
    if (Drv.PortNumber != kPanelPort || !FPresent) return {poGone, 2, "No such file or directory", PortPath(Drv.PortNumber)};
    Drv.Handle = static_cast<TCommHandle>(0x1000 + Drv.PortNumber);
    FOpenConnection = ++FConnection;
    // The program's own hold makes the port fail another open, as the exclusive probe finds.
    FDevices.Refusals[kPanelPort] = {poBusy, 16, "Device or resource busy", PortPath(kPanelPort)};
    Current()->Assembler.Clear();
    Current()->Record.AddEvent(emu::PanelEvent::PortOpened);
    return {};
}

TPortResult LoopPanels::StartReader(TCommDrv&) { return {}; }

void LoopPanels::StopReader(TCommDrv&) {}

void LoopPanels::WakeReader(TCommDrv&) {}

void LoopPanels::Close(TCommDrv& Drv) {
    Drv.Handle = kCommHandleNone;
    if (Connected()) Current()->Record.AddEvent(emu::PanelEvent::PortClosed);
    FOpenConnection = 0;
    FDevices.Refusals.erase(kPanelPort);
}

uint32_t LoopPanels::Write(TCommHandle, const uint8_t* Bytes, uint32_t Count) {
    // A vanished device fails every write.
    if (!Connected()) return 0;
    Panel& panel = *Current();
    const uint32_t connection = FConnection;
    for (const auto& line : panel.Assembler.Feed(std::string_view(reinterpret_cast<const char*>(Bytes), Count))) {
        if (connection != FConnection) break;  // the panel restarted on a line of this block
        panel.Record.AddReceived(line.Text, line.Overlong);
        if (OnLine) OnLine(line.Text, FConnection, AnswerOnItsWay());
        if (!line.Overlong) Answer(panel, line.Text);
    }
    return Count;
}

void LoopPanels::Answer(Panel& panel, const std::string& line) {
    if (panel.Fault != emu::PanelFault::None && panel.Fault != emu::PanelFault::Unasked) {
        if (emu::TrimCommand(line).empty()) return;
        // A refusal is an answer; the other faults' bytes are none.
        if (panel.Fault == emu::PanelFault::ValueError) return Deliver("Value error\r\n", kAnswerDelayMs, "Value error");
        const std::string bytes = panel.Faulty.Answer(panel.Fault);
        if (bytes.empty()) return;
        Deliver(bytes, kAnswerDelayMs);
        FOutgoing.Garbled = true;
        return;
    }
    const emu::PanelResponse response = panel.Logic.Respond(line);
    if (response.Stored) panel.Record.AddSetting(response.Stored->Key, response.Stored->Value);
    unsigned delay = kAnswerDelayMs;
    if (panel.Fault == emu::PanelFault::Unasked && !response.Lines.empty() && panel.Faulty.PutUnaskedLine()) {
        Deliver(std::string(emu::kUnaskedLine) + "\r\n", delay, emu::kUnaskedLine);
        delay += static_cast<unsigned>(emu::kUnaskedLead.count());
    }
    for (const auto& reply : response.Lines) {
        const std::string bytes = reply + "\r\n";
        const size_t chunk = panel.Options.ReplyChunkSize ? panel.Options.ReplyChunkSize : bytes.size();
        for (size_t offset = 0; offset < bytes.size(); offset += chunk) {
            Deliver(bytes.substr(offset, chunk), delay, offset + chunk < bytes.size() ? std::string() : reply);
            delay += static_cast<unsigned>(panel.Options.ChunkGap.count());
        }
    }
    if (response.Restart) Restart();
}

void LoopPanels::Deliver(const std::string& bytes, unsigned delayMs, const std::string& reply) {
    const uint32_t connection = FConnection;
    if (FOutgoing.Connection != connection) FOutgoing = {connection, 0, 0, false};
    // The panel's bytes leave one after another: an answer does not overtake the rest of the one before.
    FOutgoing.LastDueMs = std::max(FLoop.ElapsedMs() + delayMs, FOutgoing.LastDueMs);
    ++FOutgoing.Undelivered;
    After(static_cast<unsigned>(FOutgoing.LastDueMs - FLoop.ElapsedMs()), [this, bytes, connection, reply] {
        if (FOutgoing.Connection == connection) --FOutgoing.Undelivered;
        if (connection != FConnection || !Connected()) return;
        CommDrvStoreReceived(CommDrv, reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
        // A reply counts from the moment its last byte is in the port.
        if (!reply.empty()) Current()->Record.AddSent(reply);
    });
}

bool LoopPanels::AnswerOnItsWay() const {
    // After garbage the program may hold a garbled piece of a line, which glued to the panel's next
    // reply can pass for its answer by the dialogue's rules: the answers then run one behind.
    return FOutgoing.Connection == FConnection && FOutgoing.Undelivered > 0 && !FOutgoing.Garbled;
}

void LoopPanels::After(unsigned ms, std::function<void()> action) {
    FTimers.erase(std::remove_if(FTimers.begin(), FTimers.end(), [](const auto& t) { return !t->Enabled(); }),
                  FTimers.end());
    auto timer = FLoop.CreateTimer(
        ms,
        [action = std::move(action)](ITimer* sender) {
            sender->SetEnabled(false);
            action();
        },
        true);
    FTimers.push_back(std::move(timer));
}

void LoopPanels::Plug(const emu::PanelOptions* options) {
    if (FPresent) return;
    if (options) {
        FPanels.push_back(std::make_unique<Panel>(
            *options, [&loop = FLoop] { return emu::Clock::time_point(std::chrono::milliseconds(loop.ElapsedMs())); }));
    } else if (FPanels.empty()) {
        return;
    }
    FAway = false;
    Appear();
}

void LoopPanels::Unplug() {
    FAway = false;
    if (FPresent) Vanish();
}

void LoopPanels::Restart() {
    if (!FPresent) return;
    Panel& panel = *Current();
    panel.Record.AddEvent(emu::PanelEvent::Restarting);
    Vanish();
    FAway = true;
    const auto delay = static_cast<unsigned>(panel.Options.RestartDelay.count());
    After(delay, [this, &panel] {
        if (!FAway || Current() != &panel) return;
        FAway = false;
        panel.Logic.Restarted();
        Appear();
    });
}

void LoopPanels::SetFault(emu::PanelFault fault) {
    Panel* panel = Current();
    if (!panel || panel->Fault == fault) return;
    panel->Fault = fault;
    panel->Record.AddEvent(emu::PanelEvent::FaultInForce, {}, fault);
}

void LoopPanels::SetOtherDevice(bool plugged) {
    if (FOther == plugged) return;
    FOther = plugged;
    PublishDevices();
    FLoop.RunOnUiThread([this, plugged] { FDevices.Notify(plugged ? kDbtDeviceArrival : kDbtDeviceRemoveComplete); });
}

std::vector<const emu::PanelRecord*> LoopPanels::Records() const {
    std::vector<const emu::PanelRecord*> records;
    for (const auto& panel : FPanels) records.push_back(&panel->Record);
    return records;
}

void LoopPanels::Appear() {
    FPresent = true;
    ++FConnection;
    Current()->Assembler.Clear();
    Current()->Record.AddEvent(emu::PanelEvent::PluggedIn, PortPath(kPanelPort));
    PublishDevices();
    // The system announces a device as a window message, never inside the call that caused it.
    FLoop.RunOnUiThread([this] { FDevices.Notify(kDbtDeviceArrival); });
}

void LoopPanels::Vanish() {
    FPresent = false;
    ++FConnection;
    Current()->Record.AddEvent(emu::PanelEvent::Unplugged);
    PublishDevices();
    FLoop.RunOnUiThread([this] { FDevices.Notify(kDbtDeviceRemoveComplete); });
}

void LoopPanels::PublishDevices() {
    FDevices.DosDevices.clear();
    FDevices.FriendlyNames.clear();
    if (FPresent) FDevices.AddPanel(kPanelPort);
    // Another USB serial device: a port, but none of the panel's devices, so never opened.
    if (FOther) FDevices.DosDevices.push_back("COM" + std::to_string(kOtherPort));
}

}  // namespace zorv::test
