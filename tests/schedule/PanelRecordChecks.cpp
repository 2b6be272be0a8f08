#include "PanelRecordChecks.h"

#include <vector>

#include "PanelFault.h"
#include "ScriptLines.h"

namespace zorv::test {
namespace {

// What the panel received, answered and saw, in order.
struct Step {
    emu::EntryKind Kind;
    std::string Text;
    std::optional<emu::PanelEvent> Event;
    bool Received = Kind == emu::EntryKind::Received;
};

std::vector<Step> Steps(const emu::PanelRecord& record) {
    std::vector<Step> steps;
    for (const auto& entry : record.Entries()) steps.push_back({entry.Kind, entry.Text, entry.Event});
    return steps;
}

// Whether the received lines just before steps[end] are the whole script, in one stretch of
// the panel being plugged in, with nothing between them, and each answered.
bool EndsWithScript(const std::vector<Step>& steps, size_t end, const std::vector<std::string>& script) {
    size_t at = script.size();
    bool answered = false;
    for (size_t i = end; i-- > 0 && at > 0;) {
        if (IsPlugEvent(steps[i].Event)) return false;
        if (steps[i].Kind == emu::EntryKind::Sent) answered = true;
        if (steps[i].Kind != emu::EntryKind::Received) continue;
        if (steps[i].Text != script[--at] || (!answered && at + 1 < script.size())) return false;
        answered = false;
    }
    return at == 0;
}

// How far the panel's last demonstration write went: after the whole write, ended by its "reset",
// the tamper setting, then the clock.
enum DemoStage { kNone, kRestarted, kTamper, kClock };

DemoStage LastDemoWrite(const emu::PanelRecord& record, int32_t objectNumber) {
    const std::vector<Step> steps = Steps(record);
    const std::vector<std::string> script = ScriptLines(true, objectNumber);
    DemoStage stage = kNone;
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        if (!step.Received) continue;
        if (step.Text == "ftdef") stage = kNone;
        if (step.Text == "reset" && EndsWithScript(steps, i + 1, script)) stage = kRestarted;
        if (stage == kRestarted && step.Text == "ARM_IGNORE_TAMPER=1") stage = kTamper;
        if (stage == kTamper && IsTimeCommand(step.Text)) stage = kClock;
    }
    return stage;
}

}  // namespace

bool IsPlugEvent(const std::optional<emu::PanelEvent>& event) {
    return event == emu::PanelEvent::PluggedIn || event == emu::PanelEvent::Unplugged;
}

bool DemoWriteTaken(const emu::PanelRecord& record, int32_t objectNumber, std::string& why) {
    const DemoStage stage = LastDemoWrite(record, objectNumber);
    if (stage == kNone) why = "no whole demonstration write";
    if (stage == kRestarted) why = "no \"ARM_IGNORE_TAMPER=1\" after the write";
    if (stage == kTamper) why = "no \"TIME=\" after the tamper setting";
    return stage == kClock;
}

bool DemoWriteReset(const emu::PanelRecord& record, int32_t objectNumber) {
    return LastDemoWrite(record, objectNumber) != kNone;
}

bool SerialNumberWithheld(const emu::PanelRecord& record) {
    bool faulty = false, asked = false, withheld = false;
    for (const auto& entry : record.Entries()) {
        if (entry.Event == emu::PanelEvent::FaultInForce)
            faulty = entry.Fault != emu::PanelFault::None && entry.Fault != emu::PanelFault::Unasked;
        if (IsPlugEvent(entry.Event) || (entry.Kind == emu::EntryKind::Received && entry.Text.empty()))
            asked = withheld = false;
        if (entry.Kind == emu::EntryKind::Received && entry.Text == "KVELT_SN?") {
            asked = true;
            withheld = faulty;
        }
        if (asked && entry.Kind == emu::EntryKind::Sent && entry.Text.rfind("KVELT_SN=", 0) == 0)
            withheld = entry.Text.find_first_not_of("0123456789", 9) != std::string::npos || entry.Text.size() == 9;
    }
    return asked && withheld;
}

bool FactoryWriteTaken(const emu::PanelRecord& record, std::string& why) {
    const std::vector<std::string> script = ScriptLines(false, 0);
    bool taken = false;
    const std::vector<Step> steps = Steps(record);
    for (size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].Received && steps[i].Text == "ftdef") taken = false;
        if (steps[i].Received && steps[i].Text == "reset" && EndsWithScript(steps, i + 1, script)) taken = true;
    }
    if (!taken) why = "the panel did not take \"ftdef\", \"settings_save\" and \"reset\"";
    return taken;
}

std::string LastReceived(const emu::PanelRecord& record, const std::string& prefix) {
    const std::vector<emu::TranscriptEntry> entries = record.Entries();
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        if (entry->Kind == emu::EntryKind::Received && entry->Text.rfind(prefix, 0) == 0) return entry->Text;
    return std::string();
}

bool AskedSinceLastPlug(const emu::PanelRecord& record) {
    enum { kNone, kPlugged, kOpened, kEmptyLine, kAsked } stage = kNone;
    for (const auto& entry : record.Entries()) {
        if (entry.Event == emu::PanelEvent::PluggedIn) stage = kPlugged;
        if (stage == kPlugged && entry.Event == emu::PanelEvent::PortOpened) stage = kOpened;
        if (stage == kOpened && entry.Kind == emu::EntryKind::Received && entry.Text.empty()) stage = kEmptyLine;
        if (stage == kEmptyLine && entry.Kind == emu::EntryKind::Received && entry.Text == "VERSION?") stage = kAsked;
    }
    return stage == kAsked;
}

}  // namespace zorv::test
