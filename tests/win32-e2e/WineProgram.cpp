#include "WineProgram.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace zorv::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string Environment(const char* name, const std::string& fallback = "") {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// execvp's view of a command, which must outlive it; made before a fork.
std::vector<char*> Arguments(std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (auto& part : command) argv.push_back(part.data());
    argv.push_back(nullptr);
    return argv;
}

// Runs the command to its end; its standard output.
std::string Capture(std::vector<std::string> command) {
    const std::vector<char*> argv = Arguments(command);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string output;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    if (pid > 0) ::waitpid(pid, nullptr, 0);
    return output;
}

}  // namespace

const char kRussianLocale[] = "ru_RU.UTF-8";

WineSetup WineSetup::FromEnvironment(const std::string& locale) {
    WineSetup setup;
    setup.WineRun = Environment("ZORV_WINE_RUN");
    setup.ProgramExe = Environment("ZORV_PROGRAM_EXE");
    setup.ProbeExe = Environment("ZORV_WINDOW_PROBE_EXE");
    setup.DeviceExe = Environment("ZORV_WINE_DEVICE_EXE");
    // The wrapper's own default when no prefix is given.
    setup.Prefix = Environment("WINEPREFIX", Environment("TMPDIR", "/tmp") + "/zorv-wine-" + std::to_string(::getuid()));
    if (locale != kRussianLocale) setup.Prefix += "-" + locale;
    setup.Locale = locale;
    setup.Installed = Environment("ZORV_PROGRAM_INSTALLED") == "1";
    return setup;
}

namespace {

// The user's profile in the prefix, which Wine names after the Unix user.
std::string UserProfile(const std::string& prefix) {
    for (const auto& entry : fs::directory_iterator(prefix + "/drive_c/users"))
        if (entry.path().filename() != "Public") return entry.path().string();
    return prefix + "/drive_c/users/Public";
}

}  // namespace

std::string WineSetup::IniFile(const std::string& folder) const {
    return Installed ? UserProfile(Prefix) + "/AppData/Roaming/ZorvGSMDemo/ZorvGSMDemo.ini" : folder + "/ZorvGSMDemo.ini";
}

std::string WineSetup::ErrorLog(const std::string& folder) const {
    return Installed ? UserProfile(Prefix) + "/AppData/Local/ZorvGSMDemo/ErrLog.txt" : folder + "/ErrLog.txt";
}

std::vector<std::string> WineSetup::Wine(const std::vector<std::string>& program) const {
    std::vector<std::string> command{"env", "WINEPREFIX=" + Prefix, "ZORV_WINE_LOCALE=" + Locale, WineRun};
    command.insert(command.end(), program.begin(), program.end());
    return command;
}

std::string WineSetup::PortLink(int number) const { return Prefix + "/zorv-ports/com" + std::to_string(number); }

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

WineProgram::WineProgram(WineSetup setup, std::string folder) : FSetup(std::move(setup)), FFolder(std::move(folder)) {
    fs::create_directories(FFolder);
    if (!FSetup.Installed)
        fs::copy_file(FSetup.ProgramExe, FFolder + "/ZorvGSMDemo.exe", fs::copy_options::overwrite_existing);
}

WineProgram::~WineProgram() {
    if (FPid <= 0) return;
    ::kill(FPid, SIGKILL);
    ::waitpid(FPid, nullptr, 0);
}

void WineProgram::Start() {
    // Wine's server and the prefix come up first: a probe that started them at the
    // same moment as the program was seen to hang.
    Capture(FSetup.Wine({"cmd", "/c", "exit"}));
    std::vector<std::string> command =
        FSetup.Wine({FSetup.Installed ? FSetup.ProgramExe : FFolder + "/ZorvGSMDemo.exe"});
    const std::vector<char*> argv = Arguments(command);
    FPid = ::fork();
    if (FPid != 0) return;
    // A portable program's error log goes into the working folder, which is the program's own here.
    if (::chdir(FFolder.c_str()) != 0) ::_exit(126);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
}

std::string WineProgram::RunProbe(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{FSetup.ProbeExe};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return Capture(FSetup.Wine(command));
}

WindowView WineProgram::View() const {
    WindowView view;
    view.Text = RunProbe({"state"});
    std::istringstream lines(view.Text);
    std::string line;
    while (std::getline(lines, line)) {
        // Wine's console ends lines with CR LF.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t space = line.find(' ');
        const std::string name = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        if (name == "caption") view.Caption = value;
        if (name == "buttons") view.Buttons = value;
        if (name == "message") view.Message = value;
    }
    return view;
}

bool WineProgram::WaitFor(const std::function<bool(const WindowView&)>& pred, std::chrono::milliseconds limit,
                          WindowView* last) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const WindowView view = View();
        if (last) *last = view;
        if (pred(view)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
}

void WineProgram::Click(int button) const { RunProbe({"click", std::to_string(button)}); }

int WineProgram::PressEnabled(unsigned n) const {
    const std::string answer = RunProbe({"press", std::to_string(n)});
    const size_t at = answer.find("pressed ");
    if (at == std::string::npos || answer.compare(at + 8, 4, "none") == 0) return -1;
    return std::atoi(answer.c_str() + at + 8);
}

bool WineProgram::Running() {
    if (FPid <= 0) return false;
    if (::waitpid(FPid, nullptr, WNOHANG) != FPid) return true;
    FPid = -1;
    return false;
}

void WineProgram::DismissMessage() const { RunProbe({"dismiss"}); }

int WineProgram::Close() {
    if (FPid <= 0) return -1;
    RunProbe({"close"});
    for (int i = 0; i < 300; ++i) {
        int status = 0;
        if (::waitpid(FPid, &status, WNOHANG) == FPid) {
            FPid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(50ms);
    }
    return -1;
}

}  // namespace zorv::test
