#include "PanelRecord.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace zorv::emu {

namespace {

const std::size_t kOverlongHead = 64;

const char* KindMark(EntryKind kind) {
    switch (kind) {
        case EntryKind::Received: return "IN:  ";
        case EntryKind::Sent: return "OUT: ";
        case EntryKind::Event: return "---  ";
    }
    return "";
}

}  // namespace

std::string EscapeText(const std::string& text) {
    std::string escaped;
    for (unsigned char c : text) {
        if (c >= 32 && c < 127 && c != '\\') {
            escaped.push_back(static_cast<char>(c));
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            escaped += hex;
        }
    }
    return escaped;
}

PanelRecord::PanelRecord(std::size_t maxEntries, std::function<Clock::time_point()> now, Clock::time_point start)
    : FMaxEntries(maxEntries ? maxEntries : 1), FNow(std::move(now)), FStart(start) {}

template <class T>
bool PanelRecord::Append(std::deque<T>& list, T entry) {
    list.push_back(std::move(entry));
    if (list.size() <= FMaxEntries) return false;
    list.pop_front();
    return true;
}

void PanelRecord::AddEntryLocked(EntryKind kind, std::string text, std::optional<PanelEvent> event, PanelFault fault) {
    ++FAdded;
    if (Append(FEntries, TranscriptEntry{FNow(), kind, std::move(text), event, fault})) ++FDropped;
}

void PanelRecord::AddReceived(const std::string& text, bool overlong) {
    std::lock_guard<std::mutex> lock(FMutex);
    // Only the head of an overlong line is worth keeping: a flood of them must not fill memory.
    const std::string kept = overlong ? text.substr(0, kOverlongHead) : text;
    Append(FReceived, ReceivedLine{FNow(), kept, overlong});
    ++FReceivedTotal;
    AddEntryLocked(EntryKind::Received, overlong ? kept + " ... (overlong, not answered)" : kept);
    FChanged.notify_all();
}

void PanelRecord::AddSent(const std::string& text) {
    std::lock_guard<std::mutex> lock(FMutex);
    AddEntryLocked(EntryKind::Sent, text);
}

void PanelRecord::AddSetting(const std::string& key, const std::string& value) {
    std::lock_guard<std::mutex> lock(FMutex);
    Append(FSettings, StoredSetting{FNow(), key, value});
}

void PanelRecord::AddEvent(PanelEvent event, const std::string& detail, PanelFault fault) {
    std::lock_guard<std::mutex> lock(FMutex);
    if (event == PanelEvent::PluggedIn) {
        ++FPlugCount;
        FSlavePath = detail;
    }
    if (event == PanelEvent::Unplugged) FSlavePath.clear();
    AddEntryLocked(EntryKind::Event, EventText(event, fault, detail), event, fault);
    FChanged.notify_all();
}

std::vector<ReceivedLine> PanelRecord::Received() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return {FReceived.begin(), FReceived.end()};
}

std::vector<std::string> PanelRecord::ReceivedTexts() const {
    std::lock_guard<std::mutex> lock(FMutex);
    std::vector<std::string> texts;
    for (const auto& line : FReceived) texts.push_back(line.Text);
    return texts;
}

std::vector<StoredSetting> PanelRecord::Settings() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return {FSettings.begin(), FSettings.end()};
}

std::vector<TranscriptEntry> PanelRecord::Entries() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return {FEntries.begin(), FEntries.end()};
}

std::size_t PanelRecord::EntriesAdded() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FAdded;
}

int PanelRecord::PlugCount() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FPlugCount;
}

std::string PanelRecord::SlavePath() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FSlavePath;
}

std::size_t PanelRecord::DroppedEntries() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FDropped;
}

bool PanelRecord::WaitForReceived(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(FMutex);
    return FChanged.wait_for(lock, timeout, [&] { return FReceivedTotal >= count; });
}

bool PanelRecord::WaitForPlugCount(int count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(FMutex);
    return FChanged.wait_for(lock, timeout, [&] { return FPlugCount >= count && !FSlavePath.empty(); });
}

bool PanelRecord::WaitForUnplugged(std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(FMutex);
    return FChanged.wait_for(lock, timeout, [&] { return FSlavePath.empty(); });
}

bool PanelRecord::WaitForEntry(const std::function<bool(const TranscriptEntry&)>& match,
                               std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(FMutex);
    return FChanged.wait_for(lock, timeout, [&] { return std::any_of(FEntries.begin(), FEntries.end(), match); });
}

bool PanelRecord::WaitForEvent(PanelEvent event, std::chrono::milliseconds timeout) const {
    return WaitForEntry([&](const TranscriptEntry& e) { return e.Event == event; }, timeout);
}

bool PanelRecord::WaitForFault(PanelFault fault, std::chrono::milliseconds timeout) const {
    return WaitForEntry([&](const TranscriptEntry& e) { return e.Event == PanelEvent::FaultInForce && e.Fault == fault; },
                        timeout);
}

std::string PanelRecord::Transcript() const {
    std::lock_guard<std::mutex> lock(FMutex);
    std::string text;
    if (FDropped) text += "(" + std::to_string(FDropped) + " earlier entries not kept)\n";
    for (const auto& entry : FEntries) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(entry.Time - FStart).count();
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%6lld.%03lld ", static_cast<long long>(ms / 1000),
                      static_cast<long long>(ms % 1000));
        text += stamp;
        text += KindMark(entry.Kind);
        text += EscapeText(entry.Text);
        text += '\n';
    }
    return text;
}

}  // namespace zorv::emu
