#pragma once
// What must hold at every moment of the dialogue, judged by what the panel
// itself received and holds (its record), not by what the program believes:
// - a demonstration state only while the panel connected now is the one, by
//   serial number, that the write began on, and it took that whole
//   demonstration write in order, each command answered, up to its "reset",
//   and after it "ARM_IGNORE_TAMPER=1" and "TIME="; the window shows that
//   panel's object number; a billing state only when the panel's last
//   "ARM_ALLOWED=" carries the state's value (a panel that cannot tell its
//   serial number is taken for the written one, as the program takes it);
// - the connected state after a factory write, on the panel it began on, only
//   when the panel took "ftdef", "settings_save" and "reset";
// - nothing reaches a panel that the dialogue's rules do not send at that
//   moment: each connection starts with an empty line and "VERSION?", script
//   lines only inside a running write, in its order, and each only once the
//   answer to the line before reached the program; billing commands only in
//   the billing states;
// - the window shows the state's text and exactly its buttons.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "FakeMainView.h"
#include "PanelRecord.h"
#include "form/ZorvGSMDemoMain.h"

namespace zorv::test {

// What the invariants ask of a transport's panels.
class PanelSide {
public:
    virtual ~PanelSide() = default;
    // The record of the panel plugged in last; nullptr before the first.
    virtual const emu::PanelRecord* Record() const = 0;
    // The program's port is open on the panel present now.
    virtual bool Connected() const = 0;
    // The serial number the panel plugged in last gives, or "NOT SET"; empty before the first.
    virtual std::string SerialNumber() const = 0;
    // Whether judged() holds of what the panel took. On the loop the panel reads as the program
    // writes; on a real port its thread may still be reading, so it is given time to.
    virtual bool Settled(const std::function<bool()>& judged) const { return judged(); }
};

// What the rule for a line needs to know of the moment the panel reads it.
struct LineMoment {
    bool Bootloader;       // the panel's last answer was a bootloader's: "START_MAIN" may follow "VERSION?"
    bool Login;            // no write runs: "AUTH=" may go
    bool Script;           // a write runs: its lines may go, in its script's order
    bool Completion;       // a write waits for its panel's return: its serial number may be asked at once
    bool DemoCompletion;   // a demonstration write waits for its tamper setting and clock
    bool Billing;          // a billing state, no write running
    bool Early;            // an answer to an earlier line of the connection has not reached the program yet
    int32_t ObjectNumber;  // for the demonstration script's account line
};

// The rule for each line a panel reads, one connection after another (invariant 3).
class LineRules {
public:
    LineRules();
    // The next line is the first of a connection.
    void NewConnection();
    // Why the panel must not read this line at this moment; empty when it may.
    std::string Check(const std::string& line, const LineMoment& moment);
    // A line of a write reached the panel on this connection.
    bool WriteBegun() const { return FDemoAt > 0 || FFactoryAt > 0; }
    // The demonstration write of this connection reached its last line.
    bool DemoWhole() const { return FDemoAt == FDemoScript.size() && FDemoAt > 0; }

private:
    bool ContinuesScript(const std::string& line, int32_t objectNumber);

    std::vector<std::string> FDemoScript;
    const std::vector<std::string> FFactoryScript;
    // The lines of the current connection, and how far into each script they went.
    std::vector<std::string> FConnectionLines;
    size_t FDemoAt = 0;
    size_t FFactoryAt = 0;
};

class DialogueInvariants {
public:
    DialogueInvariants(const TZorvGSMDemoMainForm& form, const FakeMainView& view, const PanelSide& panels);

    // A line the panel reads, at the moment it reads it, on its connection'th connection; early
    // when an answer to an earlier line of the connection had not yet reached the program.
    void OnPanelLine(const std::string& line, uint32_t connection, bool early);
    // Every line a panel read, judged afterwards from its record alone; firstReset is when any
    // panel first read "reset", from which on a write may wait for its completion.
    void CheckRecordedLines(const emu::PanelRecord& record, const std::optional<emu::Clock::time_point>& firstReset);
    // The program has just shown its state (its state label was written).
    void OnStateShown();
    // Between two steps of the loop: the window against the state.
    void CheckWindow();

    std::vector<std::string> Violations;
    // The writes completed: a demonstration shown after its write, or the connected state after
    // the factory write on the panel that took it.
    size_t Completions = 0;

private:
    void Fail(const std::string& what);
    // The record that must hold the write the state shows complete: the panel's own, when it is the
    // one the write began on; else, when it was asked its serial number and could not tell it (a
    // fault, or none set), the written panel's, as the program completes the write as before.
    // nullptr, and a violation, for any other panel.
    const emu::PanelRecord* WrittenRecord(const std::string& state);
    void CheckDemonstration(const std::string& state, const emu::PanelRecord& written);

    const TZorvGSMDemoMainForm& FForm;
    const FakeMainView& FView;
    const PanelSide& FPanels;
    TProgramState FShown = psWaitConnect;
    // The serial number and record of the panel connected when the last write began.
    std::string FWriteSerialNumber;
    const emu::PanelRecord* FWriteRecord = nullptr;
    // The object number of the panel the last write began on, which the window must show in the
    // demonstration states, and its label.
    int32_t FShownObject = 0;
    std::string FObjectLabel;
    uint32_t FConnection = 0;
    LineRules FLineRules;
};

// The states in which the window shows the demonstration object.
bool InDemonstration(TProgramState state);

}  // namespace zorv::test
