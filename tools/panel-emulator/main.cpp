// zorv-panel-emulator: plugs an emulated panel in (under a device root, or into Wine) and serves
// it until SIGINT or SIGTERM; see UsageText for the options.
#include <signal.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>

#include "CommandLine.h"
#include "PanelEmulator.h"
#include "ReplayPanel.h"

namespace {

using namespace zorv::emu;

// At once, so that whoever drives the program sees which step of theirs departed.
void ReportDeparture(const std::string& departure) {
    std::cerr << "zorv-panel-emulator: departure: " << departure << std::endl;
}

// The panel of the controller log, or an error naming the file and the line.
std::unique_ptr<ReplayPanel> ReadReplay(const CommandLine& commandLine, std::string& error) {
    std::ifstream file(commandLine.ReplayFile, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (!file) {
        error = commandLine.ReplayFile + ": cannot be read";
        return nullptr;
    }
    ControllerLogReading reading = ReadControllerLog(bytes.str());
    if (!reading.Error.empty() || reading.Exchanges.empty()) {
        error = commandLine.ReplayFile + ": " + (reading.Error.empty() ? "no command in the log" : reading.Error);
        return nullptr;
    }
    return std::make_unique<ReplayPanel>(std::move(reading.Exchanges), commandLine.LogTiming, ReportDeparture);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zorv::emu;
    const CommandLine commandLine = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (commandLine.Help) {
        std::cout << UsageText();
        return 0;
    }
    if (!commandLine.Error.empty()) {
        std::cerr << "zorv-panel-emulator: " << commandLine.Error << " (see --help)\n";
        return 2;
    }

    // Blocked before the serving thread starts, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::unique_ptr<ReplayPanel> replay;
    if (!commandLine.ReplayFile.empty()) {
        std::string error;
        replay = ReadReplay(commandLine, error);
        if (!replay) {
            std::cerr << "zorv-panel-emulator: " << error << "\n";
            return 2;
        }
    }
    const ReplayPanel* replayed = replay.get();
    try {
        PanelEmulator panel(commandLine.Options, std::move(replay));
        panel.Plug();
        std::cout << panel.DevPath() << std::endl;
        int received = 0;
        sigwait(&stopSignals, &received);
        panel.Unplug();
        std::cout << panel.Record().Transcript() << std::flush;
        if (!replayed) return 0;
        if (const auto unreached = replayed->Unreached()) ReportDeparture(*unreached);
        if (commandLine.Strict && !replayed->Departures().empty()) return 3;
    } catch (const std::exception& e) {
        std::cerr << "zorv-panel-emulator: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
