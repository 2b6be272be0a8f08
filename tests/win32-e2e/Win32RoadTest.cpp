// The Windows program itself under Wine, against emulated panels plugged in as
// Wine COM ports: the road of a panel from its bootloader through the
// demonstration and back, a protected panel, unplugging, and a serial device
// that is not a panel. The program runs from a folder named after its user, in
// letters the system code page may not hold, and logs into a folder with
// Cyrillic letters that its INI names in Windows-1251. The road and the protected
// panel are then replayed from the program's controller log, as a user's report is.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ControllerLogReader.h"
#include "LogLines.h"
#include "PanelEmulator.h"
#include "ReplayPanel.h"
#include "TempDir.h"
#include "WineProgram.h"
#include "foundation/Cp1251.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char kCaption[] = "Зорв GSM: демонстрация работы. Версия 1.0.1";
constexpr int kPanelPort = 9;
constexpr int kOtherPort = 10;

// The buttons, left to right.
enum Button { kStartDemo, kMoneyLittle, kMoneyOff, kMoneyFull, kEndDemo };

// The panel clock: the local wall-clock reading counted as if it were UTC.
int64_t LocalClockSeconds() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<int64_t>(timegm(&local));
}

bool Received(const emu::PanelEmulator& panel, const std::string& line) {
    const auto lines = panel.Record().ReceivedTexts();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string ReceivedStartingWith(const emu::PanelEmulator& panel, const std::string& prefix) {
    for (const auto& line : panel.Record().ReceivedTexts())
        if (line.compare(0, prefix.size(), prefix) == 0) return line;
    return "";
}

bool HasEvent(const emu::PanelEmulator& panel, emu::PanelEvent event) {
    for (const auto& entry : panel.Record().Entries())
        if (entry.Event == event) return true;
    return false;
}

// The system's code page, given by the locale Wine runs in, and the user's folder.
struct TSystem {
    const char* Name;
    const char* Locale;
    const char* UserFolder;
};

const TSystem kRussianSystem{"Russian", kRussianLocale, "Иван Петров"};

class WineRoad : public ::testing::Test {
protected:
    explicit WineRoad(const TSystem& system)
        : Setup(WineSetup::FromEnvironment(system.Locale)),
          Folder(Dir.File(std::string(system.UserFolder) + "/ZorvGSMDemo")),
          Logs(Dir.File("журнал")),
          Program(Setup, Folder) {
        fs::create_directories(Logs);
        // The INI file is Windows-1251 whatever the system's code page.
        const std::string ini = Setup.IniFile(Folder);
        fs::create_directories(fs::path(ini).parent_path());
        std::ofstream(ini, std::ios::binary)
            << "[ProgrammSet]\r\nControllerLogFileName=" + Utf8ToCp1251(WindowsPath(Logs + "/panel.txt")) + "\r\n";
    }

    emu::PanelOptions OnPort(int port) const {
        emu::PanelOptions options;
        options.Wine = emu::WinePortOptions{port, Setup.PortLink(port), Setup.DeviceTool()};
        return options;
    }

    // Starts the program and waits for its window, which the first start of a prefix delays.
    void StartProgram() {
        Program.Start();
        WindowView view;
        ASSERT_TRUE(Program.WaitFor([](const WindowView& v) { return !v.Caption.empty(); }, 120s, &view)) << view.Text;
        EXPECT_EQ(view.Caption, kCaption);
        EXPECT_EQ(view.Buttons, "00000");
        // The state text as a screen reader reads it.
        EXPECT_NE(view.Text.find("\nlabel Зорв GSM не подключен. "), std::string::npos) << view.Text;
    }

    ::testing::AssertionResult Buttons(const std::string& expected, const emu::PanelEmulator& panel,
                                       std::chrono::milliseconds limit = 30s) {
        WindowView view;
        if (Program.WaitFor([&](const WindowView& v) { return v.Buttons == expected; }, limit, &view))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "buttons " << view.Buttons << ", expected " << expected << "\n"
                                             << view.Text << panel.Record().Transcript();
    }

    std::string ControllerLog() const {
        std::string log;
        for (const auto& entry : fs::directory_iterator(Logs)) log += ReadFileBytes(entry.path().string());
        return log;
    }

    // The closed program once more, against the panel of its controller log as the emulator
    // replays it on the port the road's panel left, driven as before: it sends the same lines
    // and the panel sees no departure.
    void ReplaysItsControllerLog(const std::function<void(emu::PanelEmulator&)>& drive) {
        const std::string recorded = ControllerLog();
        fs::remove_all(Logs);
        fs::create_directories(Logs);
        emu::ControllerLogReading reading = emu::ReadControllerLog(recorded);
        ASSERT_EQ(reading.Error, "") << recorded;
        auto answers = std::make_unique<emu::ReplayPanel>(std::move(reading.Exchanges), false);
        const emu::ReplayPanel& replay = *answers;
        emu::PanelEmulator panel(OnPort(kPanelPort), std::move(answers));
        StartProgram();
        panel.Plug();
        drive(panel);
        EXPECT_TRUE(Program.WaitFor([&](const WindowView&) { return !replay.Unreached(); }, 30s))
            << replay.Unreached().value_or("") << panel.Record().Transcript();
        EXPECT_EQ(Program.Close(), 0);
        EXPECT_EQ(LoggedCommands(ControllerLog()), LoggedCommands(recorded))
            << "recorded:\n" << recorded << "replayed:\n" << ControllerLog();
        EXPECT_EQ(replay.Departures(), std::vector<std::string>()) << panel.Record().Transcript();
    }

    TempDir Dir;
    const WineSetup Setup;
    const std::string Folder;
    const std::string Logs;
    WineProgram Program;
};

class Win32RoadTest : public ::testing::WithParamInterface<TSystem>, public WineRoad {
protected:
    Win32RoadTest() : WineRoad(GetParam()) {}

    // From the bootloader through the demonstration, the billing situations and the factory
    // settings, then the panel taken away and plugged in again.
    void WalkTheRoad(emu::PanelEmulator& panel, bool replayed) {
        ASSERT_TRUE(Buttons("10001", panel));
        EXPECT_TRUE(Received(panel, "START_MAIN"));
        EXPECT_TRUE(Received(panel, "KVELT_SN?"));

        const int64_t clockBefore = LocalClockSeconds();
        Program.Click(kStartDemo);
        ASSERT_TRUE(Buttons("01101", panel, 60s));
        const int64_t clockAfter = LocalClockSeconds();
        EXPECT_TRUE(Received(panel, "reset"));
        EXPECT_TRUE(Received(panel, "ARM_IGNORE_TAMPER=1"));
        const std::string time = ReceivedStartingWith(panel, "TIME=");
        ASSERT_FALSE(time.empty()) << panel.Record().Transcript();
        EXPECT_GE(std::stoll(time.substr(5)), clockBefore);
        EXPECT_LE(std::stoll(time.substr(5)), clockAfter);

        const struct {
            Button Pressed;
            const char* Command;
            const char* Buttons;
        } billing[] = {{kMoneyLittle, "ARM_ALLOWED=2", "00111"},
                       {kMoneyOff, "ARM_ALLOWED=3", "01011"},
                       {kMoneyFull, "ARM_ALLOWED=0", "01101"}};
        for (const auto& step : billing) {
            Program.Click(step.Pressed);
            EXPECT_TRUE(Buttons(step.Buttons, panel)) << step.Command;
            EXPECT_TRUE(Program.WaitFor([&](const WindowView&) { return Received(panel, step.Command); }, 10s))
                << step.Command;
        }

        // The factory settings end in the panel's restart, after which it is only connected.
        const int plugs = panel.Record().PlugCount();
        Program.Click(kEndDemo);
        ASSERT_TRUE(panel.Record().WaitForPlugCount(plugs + 1, 60s)) << panel.Record().Transcript();
        ASSERT_TRUE(Buttons("10001", panel));

        // The replayed panel goes away and comes back by itself where the log shows it.
        if (replayed) return;
        panel.Unplug();
        ASSERT_TRUE(Buttons("00000", panel));
        // A hand takes a second or more to plug a panel in again, and only that gap shows the
        // unplug in the controller log; a faster machine must not make it a different road.
        std::this_thread::sleep_for(1s);
        panel.Plug();
        ASSERT_TRUE(Buttons("10001", panel));
    }
};

class Win32ProtectedPanelTest : public WineRoad {
protected:
    Win32ProtectedPanelTest() : WineRoad(kRussianSystem) {}
};

using Win32SwappedPanelTest = Win32ProtectedPanelTest;

TEST_P(Win32RoadTest, APanelFromItsBootloaderThroughTheDemonstrationAndBack) {
    StartProgram();
    // Another USB serial device: opening it could reset it, so the program must leave it alone.
    emu::PanelOptions otherOptions = OnPort(kOtherPort);
    otherOptions.Usb.VendorId = "0403";
    otherOptions.Usb.ProductId = "6001";
    otherOptions.Usb.Serial = "A10K";
    otherOptions.Usb.Product = "USB Serial Port";
    emu::PanelEmulator other(otherOptions);
    other.Plug();

    // A panel in its bootloader that echoes and splits its replies.
    emu::PanelOptions options = OnPort(kPanelPort);
    options.StartInBootloader = true;
    options.Echo = true;
    options.ReplyChunkSize = 5;
    emu::PanelEmulator panel(options);
    panel.Plug();
    WalkTheRoad(panel, false);
    if (HasFatalFailure()) return;

    EXPECT_FALSE(HasEvent(other, emu::PanelEvent::PortOpened)) << other.Record().Transcript();
    const std::string log = ControllerLog();
    EXPECT_NE(log.find(" OUT: VERSION?\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" IN:  Main ver="), std::string::npos) << log;
    EXPECT_EQ(ReadFileBytes(Setup.ErrorLog(Folder)), "");
    EXPECT_EQ(Program.Close(), 0);
    panel.Unplug();
    ReplaysItsControllerLog([&](emu::PanelEmulator& replayed) { WalkTheRoad(replayed, true); });
}

TEST_F(Win32ProtectedPanelTest, IsExplainedAndLeftAlone) {
    StartProgram();
    emu::PanelOptions options = OnPort(kPanelPort);
    options.Password = std::string("1111");
    emu::PanelEmulator panel(options);
    panel.Plug();
    const auto explains = [&](const emu::PanelEmulator& shown) {
        WindowView view;
        ASSERT_TRUE(Program.WaitFor([](const WindowView& v) { return !v.Message.empty(); }, 30s, &view))
            << view.Text << shown.Record().Transcript();
        EXPECT_NE(view.Message.find("защищен паролем"), std::string::npos) << view.Message;
        EXPECT_EQ(view.Buttons, "00000");
        Program.DismissMessage();
        ASSERT_TRUE(Program.WaitFor([](const WindowView& v) { return v.Message.empty(); }, 10s, &view)) << view.Text;
    };
    explains(panel);
    // A bounded look for anything sent after the refused login.
    std::this_thread::sleep_for(1s);
    std::vector<std::string> received = panel.Record().ReceivedTexts();
    received.erase(std::remove(received.begin(), received.end(), ""), received.end());
    EXPECT_EQ(received, (std::vector<std::string>{"VERSION?", "AUTH=7653"})) << panel.Record().Transcript() << ControllerLog();
    EXPECT_EQ(Program.Close(), 0);
    panel.Unplug();
    ReplaysItsControllerLog(explains);
}

// A salesperson preparing panels one after another takes the first away while it restarts
// after the write's "reset", and plugs the next into the same socket.
TEST_F(Win32SwappedPanelTest, TheNextPanelIsNotTakenForTheWrittenOne) {
    StartProgram();
    emu::PanelOptions first = OnPort(kPanelPort);
    first.RestartDelay = 10s;  // time for the swap
    emu::PanelEmulator written(first);
    written.Plug();
    ASSERT_TRUE(Buttons("10001", written));
    Program.Click(kStartDemo);
    ASSERT_TRUE(Program.WaitFor([&](const WindowView&) { return Received(written, "reset"); }, 60s))
        << written.Record().Transcript();
    written.Unplug();
    emu::PanelOptions second = OnPort(kPanelPort);
    second.SerialNumber = "654321";
    emu::PanelEmulator next(second);
    next.Plug();

    WindowView view;
    ASSERT_TRUE(Program.WaitFor([](const WindowView& v) { return !v.Message.empty(); }, 30s, &view))
        << view.Text << next.Record().Transcript();
    EXPECT_NE(view.Message.find("654321"), std::string::npos) << view.Message;
    EXPECT_NE(view.Message.find("123456"), std::string::npos) << view.Message;
    Program.DismissMessage();
    ASSERT_TRUE(Buttons("10001", next));
    EXPECT_FALSE(Received(next, "ARM_IGNORE_TAMPER=1")) << next.Record().Transcript();
    EXPECT_EQ(ReceivedStartingWith(next, "TIME="), "");
    const std::string log = ReadFileBytes(Folder + "/ErrLog.txt");
    EXPECT_EQ(CountOf(log, "\r\n"), 1u) << log;
    EXPECT_NE(log.find("write not completed: the panel with serial number 654321 answered after the restart, not "
                       "123456"),
              std::string::npos)
        << log;

    // The first panel, back later, is identified as any panel, and nobody is told twice.
    next.Unplug();
    ASSERT_TRUE(Buttons("00000", next));
    written.Plug();
    ASSERT_TRUE(Buttons("10001", written));
    EXPECT_FALSE(Received(written, "ARM_IGNORE_TAMPER=1")) << written.Record().Transcript();
    EXPECT_TRUE(Program.View().Message.empty());
    EXPECT_EQ(Program.Close(), 0);
}

// Russian and Western systems, each with a folder of its own letters and one of the other's.
INSTANTIATE_TEST_SUITE_P(
    Systems, Win32RoadTest,
    ::testing::Values(kRussianSystem,
                      TSystem{"RussianWithAccents", kRussianLocale, "José Müller"},
                      TSystem{"Western", "en_US.UTF-8", "José Müller"},
                      TSystem{"WesternWithCyrillic", "en_US.UTF-8", "Иван Петров"}),
    [](const ::testing::TestParamInfo<TSystem>& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace zorv::test
