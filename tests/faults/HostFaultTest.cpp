// Faults of the computer around the program: log folders that vanish, a device
// root that cannot be read, a port whose writes stall, a user-interface thread
// too busy to take what arrives, and a port that another process holds.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <functional>
#include <string>
#include <thread>

#include "FaultFixture.h"
#include "RowName.h"
#include "discovery/SerialPort.h"
#include "foundation/CommonUtils.h"
#include "serial/ComPortDrv.h"
#include "serial/ComPortUS.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool Received(const emu::PanelEmulator& panel, const std::string& line) {
    const auto lines = panel.Record().ReceivedTexts();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string OnlyFileIn(const std::string& folder) {
    std::string found;
    for (const auto& entry : fs::directory_iterator(folder)) found = entry.path().string();
    return found;
}

TEST_F(FaultTest, LogFoldersRemovedWhileRunningCostOnlyTheirLines) {
    const std::string logs = Dir.File("logs"), errors = Dir.File("errors");
    fs::create_directories(logs);
    fs::create_directories(errors);
    Configure("[ProgrammSet]\nControllerLogFileName=" + logs + "/Controller.txt\n[Linux]\nDeviceRoot=" + Root + "\n");
    ASSERT_TRUE(Form.FControllerLogEnabled);
    const TErrorLog errorLog(errors + "/ErrLog.txt", nullptr);
    emu::PanelEmulator& panel = Connected(PanelOptions());
    EXPECT_NE(ReadFileBytes(OnlyFileIn(logs)).find("OUT: KVELT_SN?"), std::string::npos);

    fs::remove_all(logs);
    Form.OnStartDemoButtonClick();
    ASSERT_TRUE(Pump([&] { return Received(panel, "ACCOUNT=3456"); })) << Describe(panel);
    // Each lost line is written to the error log instead.
    EXPECT_NE(ReadFileBytes(errors + "/ErrLog.txt").find("TZorvGSMDemoMainForm.AddOutControllerLog"), std::string::npos);

    fs::remove_all(errors);
    ASSERT_TRUE(WaitForState(psDemoLoaded)) << Describe(panel);
    EXPECT_TRUE(BackToIdle());
    ExpectShows(psDemoLoaded);
    EXPECT_FALSE(fs::exists(logs));
    EXPECT_FALSE(fs::exists(errors));
    ExpectOnlyRuleCommands(panel);
}

// A configuration naming a device root that cannot be read: the program finds no
// port and waits, and finds the panel once the configuration names a good root.
struct RootCase {
    const char* Name;
    std::function<std::string(const TempDir&)> Make;
};

void PrintTo(const RootCase& c, std::ostream* os) { *os << c.Name; }

class UnreadableRootTest : public FaultTest, public ::testing::WithParamInterface<RootCase> {};

TEST_P(UnreadableRootTest, NoPortIsFoundAndNothingSpins) {
    emu::PanelEmulator& panel = PlugIn(PanelOptions());
    Configure("[Linux]\nDeviceRoot=" + GetParam().Make(Dir) + "\n");
    Form.RefreshComPorts(true);
    Loop.Advance(3 * 5000);
    PumpFor(200ms);
    EXPECT_TRUE(BackToIdle());
    ExpectShows(psWaitConnect);
    EXPECT_FALSE(Form.FComPort->Active());
    EXPECT_TRUE(panel.Record().ReceivedTexts().empty());

    Configure("[Linux]\nDeviceRoot=" + Root + "\n");
    Loop.Advance(5000);  // the next port check looks under the good root
    EXPECT_TRUE(WaitForState(psConnected)) << Describe(panel);
    ExpectOnlyRuleCommands(panel);
}

INSTANTIATE_TEST_SUITE_P(
    Roots, UnreadableRootTest,
    ::testing::Values(RootCase{"Missing", [](const TempDir& d) { return d.File("no-such-root"); }},
                      RootCase{"AFile",
                               [](const TempDir& d) {
                                   d.Write("root-file", "not a folder");
                                   return d.File("root-file");
                               }},
                      RootCase{"FoldersThatAreFiles",
                               [](const TempDir& d) {
                                   fs::create_directories(d.File("odd"));
                                   d.Write("odd/dev", "");
                                   d.Write("odd/sys", "");
                                   return d.File("odd");
                               }},
                      RootCase{"ProcFiles", [](const TempDir&) { return std::string("/proc/self/mem"); }}),
    RowName());

TEST_F(FaultTest, AWriteToAPanelThatStoppedReadingGivesUpAndTheUiThreadGoesOn) {
    emu::PanelEmulator& panel = Connected(PanelOptions());
    Form.OnStartDemoButtonClick();
    ASSERT_TRUE(WaitForState(psDemoLoaded)) << Describe(panel);
    ASSERT_TRUE(Pump([&] { return Received(panel, "ARM_IGNORE_TAMPER=1"); }));
    panel.SetFault(emu::PanelFault::NotReading);
    ASSERT_TRUE(panel.Record().WaitForFault(emu::PanelFault::NotReading, 2000ms));

    const auto start = std::chrono::steady_clock::now();
    Form.OnMoneyLittleButtonClick();
    const auto blocked = std::chrono::steady_clock::now() - start;
    // The write did stall, and gave up: a bounded check, with a wide margin for a loaded machine.
    EXPECT_GE(blocked, std::chrono::milliseconds(kWriteDeadlineMs) - 100ms);
    EXPECT_LE(blocked, std::chrono::milliseconds(kWriteDeadlineMs) + 1500ms);
    ExpectShows(psMoneyLittle);
    EXPECT_TRUE(BackToIdle());

    panel.SetFault(emu::PanelFault::None);
    ASSERT_TRUE(panel.Record().WaitForFault(emu::PanelFault::None, 2000ms));
    Form.OnMoneyFullButtonClick();
    EXPECT_TRUE(Pump([&] { return Received(panel, "ARM_ALLOWED=0"); })) << Describe(panel);
    ExpectShows(psMoneyFull);
    EXPECT_FALSE(Received(panel, "ARM_ALLOWED=2"));
    ExpectOnlyRuleCommands(panel);
}

TEST_F(FaultTest, MoreThanTheRingWhileTheUiThreadIsBusyArrivesWholeAndInOrder) {
    const std::string logs = Dir.File("logs");
    fs::create_directories(logs);
    Configure("[ProgrammSet]\nControllerLogFileName=" + logs + "/Controller.txt\n[Linux]\nDeviceRoot=" + Root + "\n");
    emu::PanelOptions options = PanelOptions();
    options.FloodBytes = 40000;
    options.FloodPattern = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    emu::PanelEmulator& panel = Connected(options);
    panel.SetFault(emu::PanelFault::Flood);
    ASSERT_TRUE(panel.Record().WaitForFault(emu::PanelFault::Flood, 2000ms));
    Form.OnStartDemoButtonClick();  // "ftdef" is answered by 40000 bytes without a line end

    // The user-interface thread is busy: nothing is taken from the ring meanwhile.
    ASSERT_TRUE(panel.Record().WaitForEvent(emu::PanelEvent::FaultyAnswer, 2000ms));
    const uint32_t ringSize = Form.FComPort->InpBufSize();
    for (int i = 0; i < 200 && CommDrv.ReceivedBytes.load() < ringSize; ++i) std::this_thread::sleep_for(10ms);
    ASSERT_EQ(CommDrv.ReceivedBytes.load(), ringSize);
    const double cpu = ProcessCpuSeconds();
    std::this_thread::sleep_for(300ms);
    EXPECT_LT(ProcessCpuSeconds() - cpu, 0.1) << "the reader spins on the full ring";
    EXPECT_EQ(CommDrv.ReceivedBytes.load(), ringSize);

    panel.SetFault(emu::PanelFault::None);
    ASSERT_TRUE(panel.Record().WaitForFault(emu::PanelFault::None, 2000ms));
    // The flood's line ends at the next reply's CR: that answer is lost in it, and the watchdog moves
    // on. A command without an answer may not be in the panel: the write is not reported as written.
    ASSERT_TRUE(PumpWithWatchdog(panel, [&] { return Form.FState == psConnected && !Form.FLoadDemoPending; }, 30s))
        << Describe(panel);
    EXPECT_TRUE(BackToIdle());
    ExpectShows(psConnected);
    EXPECT_NE(ErrorLog().find("Demonstration settings write not taken"), std::string::npos) << ErrorLog();
    ASSERT_EQ(View.MessageBoxes.size(), 1u);
    EXPECT_EQ(View.MessageBoxes[0].Text, WriteUnansweredMessage());
    EXPECT_LE(Form.FLineBuffer.capacity(), 65536u + 4096u);
    std::string flood;
    while (flood.size() < 40000) flood += options.FloodPattern;
    flood.resize(40000);
    EXPECT_NE(ReadFileBytes(OnlyFileIn(logs)).find(" IN:  " + flood + "OK\r\n"), std::string::npos)
        << "the flood did not arrive whole and in order";
    ExpectOnlyRuleCommands(panel);
}

// Another process holds the panel's port: the port is listed busy, never opened
// and never written; the program connects once it is free.
TEST_F(FaultTest, APortHeldByAnotherProcessIsReportedBusyAndNeverWritten) {
    emu::PanelEmulator& panel = PlugIn(PanelOptions());
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const std::string path = panel.DevPath();
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        // Only async-signal-safe calls after fork in a threaded process.
        ::close(release[1]);
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        char byte;
        (void)!::read(release[0], &byte, 1);
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');

    PumpFor(300ms);
    Loop.Advance(3 * 5000);
    PumpFor(200ms);
    EXPECT_TRUE(BackToIdle());
    ExpectShows(psWaitConnect);
    EXPECT_EQ(Form.FTestedPort, -1);
    ASSERT_TRUE(Form.FPortList);
    ASSERT_EQ(Form.FPortList->size(), 1u);
    EXPECT_FALSE(Form.FPortList->front()->Enabled) << "the port is not reported busy";
    EXPECT_TRUE(panel.Record().ReceivedTexts().empty());

    ::close(release[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(holder, &status, 0), holder);
    ::close(ready[0]);
    Loop.Advance(5000);  // the next port check finds the port free
    EXPECT_TRUE(WaitForState(psConnected)) << Describe(panel);
    ExpectOnlyRuleCommands(panel);
}

}  // namespace
}  // namespace zorv::test
