#pragma once
// What the panel saw and did: every line received (with the time it arrived),
// every setting stored, every reply and every event (PanelEvent.h). The serving thread
// writes it; any thread may read it. Each list keeps only its newest entries
// beyond the limit, and says how many it let go.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "PanelEvent.h"
#include "PanelFault.h"

namespace zorv::emu {

using Clock = std::chrono::steady_clock;

struct ReceivedLine {
    Clock::time_point Time;
    std::string Text;
    bool Overlong = false;  // longer than the line limit: not answered, only its first 64 bytes kept
};

struct StoredSetting {
    Clock::time_point Time;
    std::string Key;
    std::string Value;
};

enum class EntryKind { Received, Sent, Event };

struct TranscriptEntry {
    Clock::time_point Time;
    EntryKind Kind;
    std::string Text;  // the line, or the event in the transcript's words
    std::optional<PanelEvent> Event;  // none for a line
    PanelFault Fault = PanelFault::None;  // the fault an event is about
};

class PanelRecord {
public:
    // Times come from now (the steady clock, or a test's virtual clock) and are shown from start.
    explicit PanelRecord(std::size_t maxEntries, std::function<Clock::time_point()> now = Clock::now,
                         Clock::time_point start = Clock::now());

    void AddReceived(const std::string& text, bool overlong);
    void AddSent(const std::string& text);
    void AddSetting(const std::string& key, const std::string& value);
    // Plugging in counts and keeps the slave (the detail) until unplugging; the fault and the
    // detail complete the events that carry them (see PanelEvent).
    void AddEvent(PanelEvent event, const std::string& detail = {}, PanelFault fault = PanelFault::None);

    std::vector<ReceivedLine> Received() const;
    std::vector<std::string> ReceivedTexts() const;
    std::vector<StoredSetting> Settings() const;
    std::vector<TranscriptEntry> Entries() const;
    // How many times the panel has been plugged in, restarts included.
    int PlugCount() const;
    // The pseudo-terminal's slave while plugged in, empty otherwise.
    std::string SlavePath() const;
    // Transcript entries let go beyond the limit.
    std::size_t DroppedEntries() const;
    // How many transcript entries were ever added: it grows with everything the panel does.
    std::size_t EntriesAdded() const;

    // Bounded waits for the serving thread to catch up; true when the count was reached
    // (for the plug count: and the panel is plugged in at that moment).
    bool WaitForReceived(std::size_t count, std::chrono::milliseconds timeout) const;
    bool WaitForPlugCount(int count, std::chrono::milliseconds timeout) const;
    bool WaitForUnplugged(std::chrono::milliseconds timeout) const;
    // Until the transcript holds such an event (among the entries kept).
    bool WaitForEvent(PanelEvent event, std::chrono::milliseconds timeout) const;
    // Until the transcript holds the event of this fault coming into force (None: of a fault ending).
    bool WaitForFault(PanelFault fault, std::chrono::milliseconds timeout) const;

    // One line per entry, times in seconds since the record began, unprintable bytes escaped.
    std::string Transcript() const;

private:
    template <class T>
    bool Append(std::deque<T>& list, T entry);
    void AddEntryLocked(EntryKind kind, std::string text, std::optional<PanelEvent> event = std::nullopt,
                        PanelFault fault = PanelFault::None);
    bool WaitForEntry(const std::function<bool(const TranscriptEntry&)>& match, std::chrono::milliseconds timeout) const;

    mutable std::mutex FMutex;
    mutable std::condition_variable FChanged;
    const std::size_t FMaxEntries;
    const std::function<Clock::time_point()> FNow;
    const Clock::time_point FStart;
    std::deque<ReceivedLine> FReceived;
    std::deque<StoredSetting> FSettings;
    std::deque<TranscriptEntry> FEntries;
    std::size_t FReceivedTotal = 0;
    std::size_t FDropped = 0;
    std::size_t FAdded = 0;
    int FPlugCount = 0;
    std::string FSlavePath;
};

// The text with bytes outside printable ASCII written as \xNN.
std::string EscapeText(const std::string& text);

}  // namespace zorv::emu
