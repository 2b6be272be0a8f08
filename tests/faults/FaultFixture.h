#pragma once
// The whole program against emulated panels that misbehave: the end-to-end
// harness of tests/e2e with the checks every fault must pass. The program may
// not crash, hang or spin, must show a state that its rules allow, and must
// send the panel nothing that its rules do not send.
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "EmulatedPanelFixture.h"

namespace zorv::test {

class FaultTest : public EmulatedPanelTest {
protected:
    emu::PanelEmulator& PlugIn(const emu::PanelOptions& options);
    // A panel plugged in and identified; the test fails otherwise.
    emu::PanelEmulator& Connected(const emu::PanelOptions& options);

    // The process is back to idle within about a second: some window in which all its
    // threads together used less than a third of one core.
    bool BackToIdle();
    // CPU time of the whole process so far (user and system, from /proc/self/stat), in seconds.
    static double ProcessCpuSeconds();

    // Every command the program's rules may send to a panel whose object number is objectNumber.
    std::set<std::string> RuleCommands(int32_t objectNumber) const;
    // The panel received nothing outside the rules.
    void ExpectOnlyRuleCommands(const emu::PanelEmulator& panel, int32_t objectNumber = 3456) const;
    // The program is in this state and the window shows it: its state text and its buttons.
    void ExpectShows(TProgramState state) const;

    // How many lines the panel has read so far.
    static std::size_t ReceivedCount(const emu::PanelEmulator& panel);
    // Waits until the panel has read at least count lines.
    bool WaitReceived(const emu::PanelEmulator& panel, std::size_t count,
                      std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Runs the program until pred() holds; whenever the panel has read nothing new for a
    // while, lets the script watchdog give up the current command. False after limit.
    bool PumpWithWatchdog(const emu::PanelEmulator& panel, const std::function<bool()>& pred,
                          std::chrono::milliseconds limit = std::chrono::seconds(20));

    // Rewrites the configuration file and reads it again, as a restarted program would.
    void Configure(const std::string& ini);
};

}  // namespace zorv::test
