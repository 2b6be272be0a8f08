#pragma once
// The Windows program under Wine, seen and used as a user would: it runs from
// a folder of its own, and the window probe (a Windows program too) reads its
// caption, its buttons and its message box, and presses its buttons.
//
// Where things are comes from the environment that CTest gives the test:
// ZORV_WINE_RUN (the wrapper that runs a Windows program under Wine),
// ZORV_PROGRAM_EXE, ZORV_WINDOW_PROBE_EXE, ZORV_WINE_DEVICE_EXE and WINEPREFIX.
// With ZORV_PROGRAM_INSTALLED=1, ZORV_PROGRAM_EXE is a program that its
// installer put into the prefix: it runs where it is, with its files in the
// user's application-data folders (the package checks set this).
// The system code page is the test's choice: Wine takes it from the locale.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace zorv::test {

// The locale of the program's users: Wine gives it code page 1251.
extern const char kRussianLocale[];

struct WineSetup {
    std::string WineRun;
    std::string ProgramExe;
    std::string ProbeExe;
    std::string DeviceExe;
    std::string Prefix;
    std::string Locale;
    bool Installed = false;

    // Programs run in Locale (a UTF-8 Unix locale, such as "en_US.UTF-8" for code page 1252).
    // Another locale than the Russian one gets a prefix of its own: Wine rewrites a
    // prefix's regional settings for a program started in another locale, and the
    // other tests rely on the Russian ones.
    static WineSetup FromEnvironment(const std::string& locale = kRussianLocale);
    // The Unix link that the prefix names as COM<n> (see cmake/wine-run.sh).
    std::string PortLink(int number) const;
    // The command that runs a Windows program under Wine in this prefix and locale.
    std::vector<std::string> Wine(const std::vector<std::string>& program) const;
    // Runs a Windows program under Wine, for the emulator's device tool.
    std::vector<std::string> DeviceTool() const { return Wine({DeviceExe}); }
    // Where the program reads its INI and writes its error log (Unix paths): in Folder
    // and the current folder, which is Folder too, unless the program is installed.
    std::string IniFile(const std::string& folder) const;
    std::string ErrorLog(const std::string& folder) const;
};

// What the user sees; empty while the window is not shown.
struct WindowView {
    std::string Caption;
    std::string Buttons;  // "10001": one digit per button, 1 when it is enabled
    std::string Message;  // the message box's text, empty when none is shown
    std::string Text;     // the probe's whole answer, for failure messages
};

class WineProgram {
public:
    // Copies the program into Folder (a Unix path), where it keeps its INI and logs;
    // an installed program stays where it is and only runs in Folder.
    WineProgram(WineSetup setup, std::string folder);
    ~WineProgram();
    WineProgram(const WineProgram&) = delete;
    WineProgram& operator=(const WineProgram&) = delete;

    void Start();
    WindowView View() const;
    // Asks the probe again until Pred holds; false after Limit.
    bool WaitFor(const std::function<bool(const WindowView&)>& pred, std::chrono::milliseconds limit,
                 WindowView* last = nullptr) const;
    void Click(int button) const;
    // Presses the N-th enabled button (N modulo their count); its index, or -1 when none is enabled.
    int PressEnabled(unsigned n) const;
    void DismissMessage() const;
    // Closes the window and waits for the program to end; its exit code, or -1.
    int Close();
    // Whether the program is still running; false once it ended (then Pid() is -1).
    bool Running();
    // The Linux process that runs the program (Wine execs into it), -1 when none.
    pid_t Pid() const { return FPid; }
    const std::string& Folder() const { return FFolder; }

private:
    std::string RunProbe(const std::vector<std::string>& arguments) const;

    WineSetup FSetup;
    std::string FFolder;
    pid_t FPid = -1;
};

// The Windows path of a Unix path (Wine's drive Z: is the Unix root).
std::string WindowsPath(const std::string& unixPath);

}  // namespace zorv::test
