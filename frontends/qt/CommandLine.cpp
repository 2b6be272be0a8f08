#include "frontends/qt/CommandLine.h"

#include <cstring>

namespace zorv {
namespace {

const char* const HelpText =
    "Usage: zorvgsmdemo [--help | --version]\n"
    "\n"
    "Prepares a Zorv GSM security panel, plugged in by USB, for a live demonstration:\n"
    "writes the demonstration settings, switches between three billing situations\n"
    "and writes the factory settings back. The window is in Russian; the panel is\n"
    "found by itself once it is plugged in.\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "Installed, the program reads $XDG_CONFIG_HOME/zorvgsmdemo/ZorvGSMDemo.ini\n"
    "(~/.config/zorvgsmdemo/), else /etc/zorvgsmdemo/ZorvGSMDemo.ini, and writes\n"
    "its error log to $XDG_STATE_HOME/zorvgsmdemo/ErrLog.txt (~/.local/state/zorvgsmdemo/).\n"
    "See zorvgsmdemo(1) and /usr/share/doc/zorvgsmdemo/README.Linux.md.\n";

}  // namespace

std::optional<std::string> InformationRequested(int argc, const char* const* argv, const std::string& Version) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            return std::string(HelpText);
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            return "zorvgsmdemo " + Version + "\n";
        }
    }
    return std::nullopt;
}

}  // namespace zorv
