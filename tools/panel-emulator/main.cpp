// zorv-panel-emulator: plugs an emulated panel in under a device root and serves
// it until SIGINT or SIGTERM; see UsageText for the options.
#include <signal.h>

#include <cstdio>
#include <exception>
#include <iostream>

#include "CommandLine.h"
#include "PanelEmulator.h"

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

    try {
        PanelEmulator panel(commandLine.Options);
        panel.Plug();
        std::cout << panel.DevPath() << std::endl;
        int received = 0;
        sigwait(&stopSignals, &received);
        panel.Unplug();
        std::cout << panel.Record().Transcript() << std::flush;
    } catch (const std::exception& e) {
        std::cerr << "zorv-panel-emulator: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
