// The program's controller log, recorded on a road of the emulated panel, replayed
// by the emulator as that panel: a second run of the program sends the same lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "ControllerLogReader.h"
#include "EmulatedPanelFixture.h"
#include "LogLines.h"
#include "ReplayPanel.h"
#include "foundation/CommonUtils.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kOut = " OUT: ";

// One run of the whole program, keeping its controller log; each run has its own device root.
class ProgramRun : public EmulatedPanelTest {
public:
    ProgramRun() {
        fs::create_directories(Dir.File("logs"));
        Dir.Write("ZorvGSMDemo.ini",
                  "[ProgrammSet]\nControllerLogFileName=" + Dir.File("logs") + "/Controller.txt\n[Linux]\nDeviceRoot=" +
                      Root + "\n");
        Form.ReadIniFile();
    }
    void TestBody() override {}

    emu::PanelEmulator& Plug(const emu::PanelOptions& options, std::unique_ptr<emu::PanelAnswers> answers = nullptr) {
        Emulators.push_back(std::make_unique<emu::PanelEmulator>(options, std::move(answers)));
        Emulators.back()->Plug();
        return *Emulators.back();
    }
    std::string ControllerLog() const {
        for (const auto& entry : fs::directory_iterator(Dir.File("logs"))) return ReadFileBytes(entry.path().string());
        return {};
    }
    bool Logged(const std::string& line) const { return ControllerLog().find(line) != std::string::npos; }
    // Runs until pred() holds; whenever the panel has read nothing new for a while, the
    // script's watchdog is let give up the command it waits on.
    bool PumpWithWatchdog(const emu::PanelEmulator& panel, const std::function<bool()>& pred) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < end) {
            const std::size_t before = panel.Record().ReceivedTexts().size();
            if (Pump([&] { return pred() || panel.Record().ReceivedTexts().size() > before; },
                     std::chrono::milliseconds(300))) {
                if (pred()) return true;
                continue;
            }
            Loop.Advance(60000);
        }
        return pred();
    }

    using EmulatedPanelTest::Describe;
    using EmulatedPanelTest::Pump;
    using EmulatedPanelTest::PanelOptions;
    FakeMainView& Window() { return View; }
    TZorvGSMDemoMainForm& MainForm() { return Form; }
};

struct Road {
    const char* Name;
    std::function<void(emu::PanelOptions&)> Panel;
    // Drives the program along the road against the first panel it meets; false when it did not get there.
    std::function<bool(ProgramRun&, emu::PanelEmulator&, bool recording)> Drive;
};

bool Connects(ProgramRun& run, emu::PanelEmulator&, bool) {
    return run.Pump([&] { return run.MainForm().FState == psConnected; });
}

bool WritesTheDemonstration(ProgramRun& run, emu::PanelEmulator& panel, bool recording) {
    if (!Connects(run, panel, recording)) return false;
    run.MainForm().OnStartDemoButtonClick();
    return run.Pump([&] { return run.Logged(kOut + "TIME="); });
}

// The write waits on the commands the panel leaves unanswered until the watchdog gives each up,
// and the panel is identified again after its restart.
bool OutwaitsUnansweredCommands(ProgramRun& run, emu::PanelEmulator& panel, bool recording) {
    if (!Connects(run, panel, recording)) return false;
    run.MainForm().OnStartDemoButtonClick();
    return run.PumpWithWatchdog(panel, [&] { return CountOf(run.ControllerLog(), " IN:  KVELT_SN=") == 2; });
}

bool IsRefused(ProgramRun& run, emu::PanelEmulator&, bool) {
    return run.Pump([&] { return !run.Window().MessageBoxes.empty(); });
}

// The recording run unplugs the panel where the write waits and plugs an ordinary one in.
bool UnplugsInTheWrite(ProgramRun& run, emu::PanelEmulator& panel, bool recording) {
    if (!Connects(run, panel, recording)) return false;
    run.MainForm().OnStartDemoButtonClick();
    const auto waiting = [&] { return run.MainForm().FState == psWaitConnect; };
    // The replayed panel goes away by itself where the log shows it.
    if (!recording) return run.Pump(waiting) && Connects(run, panel, recording);
    const auto received = [&] {
        const auto lines = panel.Record().ReceivedTexts();
        return std::find(lines.begin(), lines.end(), "STATEMAP=0,0,2") != lines.end();
    };
    if (!run.Pump(received)) return false;
    panel.Unplug();
    if (!run.Pump(waiting)) return false;
    emu::PanelEmulator& again = run.Plug(run.PanelOptions());
    return Connects(run, again, recording);
}

const Road kRoads[] = {
    {"HealthyPanel", [](emu::PanelOptions&) {}, WritesTheDemonstration},
    {"BootloaderStart", [](emu::PanelOptions& o) { o.StartInBootloader = true; }, Connects},
    {"ProtectedPanel", [](emu::PanelOptions& o) { o.Password = std::string("1111"); }, IsRefused},
    {"EchoingPanel", [](emu::PanelOptions& o) { o.Echo = true; }, WritesTheDemonstration},
    {"RepliesInPieces", [](emu::PanelOptions& o) { o.ReplyChunkSize = 3; }, Connects},
    {"ValueErrors", [](emu::PanelOptions& o) { o.ValueErrorKeywords = {"ACCOUNT", "VOLUME"}; }, WritesTheDemonstration},
    {"UnansweredInTheWrite", [](emu::PanelOptions& o) { o.SilentKeywords = {"STATEMAP"}; }, OutwaitsUnansweredCommands},
    {"UnplugInTheWrite", [](emu::PanelOptions& o) { o.SilentKeywords = {"STATEMAP"}; }, UnplugsInTheWrite},
};

void PrintTo(const Road& road, std::ostream* out) { *out << road.Name; }

class Replay : public ::testing::TestWithParam<Road> {};

TEST_P(Replay, TheSecondRunSendsWhatTheFirstSent) {
    const Road& road = GetParam();
    std::string recorded;
    Lines sent;
    {
        ProgramRun first;
        emu::PanelOptions options = first.PanelOptions();
        road.Panel(options);
        emu::PanelEmulator& panel = first.Plug(options);
        ASSERT_TRUE(road.Drive(first, panel, true)) << first.Describe(panel) << first.ControllerLog();
        recorded = first.ControllerLog();
        sent = LoggedCommands(recorded);
    }
    emu::ControllerLogReading reading = emu::ReadControllerLog(recorded);
    ASSERT_EQ(reading.Error, "") << recorded;

    ProgramRun second;
    auto answers = std::make_unique<emu::ReplayPanel>(std::move(reading.Exchanges), false);
    const emu::ReplayPanel& replay = *answers;
    emu::PanelEmulator& panel = second.Plug(second.PanelOptions(), std::move(answers));
    ASSERT_TRUE(road.Drive(second, panel, false)) << second.Describe(panel) << "recorded:\n" << recorded;
    EXPECT_EQ(LoggedCommands(second.ControllerLog()), sent)
        << "recorded:\n" << recorded << "replayed:\n" << second.ControllerLog();
    EXPECT_TRUE(second.Pump([&] { return replay.Departures().empty(); }))
        << replay.Departures().front() << "\nrecorded:\n" << recorded;
}

INSTANTIATE_TEST_SUITE_P(Roads, Replay, ::testing::ValuesIn(kRoads),
                         [](const ::testing::TestParamInfo<Road>& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace zorv::test
