// The built program itself, on the offscreen Qt platform, against an emulated
// panel under a device root named by the INI file next to a copy of it.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "PanelEmulator.h"
#include "TempDir.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() {
        fs::create_directories(Dir.File("root/dev"));
        fs::create_directories(Dir.File("logs"));
        fs::copy_file(ZORV_PROGRAM_PATH, Dir.File("ZorvGSMDemo"));
        Dir.Write("ZorvGSMDemo.ini", "[ProgrammSet]\nControllerLogFileName=" + Dir.File("logs/panel.txt") +
                                         "\n[Linux]\nDeviceRoot=" + Dir.File("root") + "\n");
    }
    ~ProgramTest() override { Stop(); }

    void Start() {
        FPid = ::fork();
        ASSERT_GE(FPid, 0);
        if (FPid == 0) {
            if (::chdir(Dir.Path().c_str()) != 0) ::_exit(126);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            const std::string program = Dir.File("ZorvGSMDemo");
            ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    // True while the program runs.
    bool Running() {
        int status = 0;
        return FPid > 0 && ::waitpid(FPid, &status, WNOHANG) == 0;
    }
    void Stop() {
        if (FPid <= 0) return;
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
        FPid = -1;
    }

    TempDir Dir;
    pid_t FPid = -1;
};

TEST_F(ProgramTest, FindsAndIdentifiesAPanelPluggedInWhileItRuns) {
    Start();
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(Running());
    emu::PanelOptions options;
    options.DeviceRoot = Dir.File("root");
    emu::PanelEmulator panel(options);
    panel.Plug();
    ASSERT_TRUE(panel.Record().WaitForReceived(4, 10s)) << panel.Record().Transcript();
    const auto lines = panel.Record().ReceivedTexts();
    EXPECT_EQ(lines[1], "VERSION?");
    EXPECT_EQ(lines[2], "AUTH=7653");
    EXPECT_EQ(lines[3], "KVELT_SN?");
    // The program logs the panel's answer once it has read it.
    bool logged = false;
    for (int i = 0; i < 500 && !logged; ++i) {
        std::this_thread::sleep_for(10ms);
        for (const auto& entry : fs::directory_iterator(Dir.File("logs")))
            logged = logged || ReadFileBytes(entry.path().string()).find("IN:  KVELT_SN=123456") != std::string::npos;
    }
    EXPECT_TRUE(logged);
    EXPECT_TRUE(Running());
    EXPECT_EQ(ReadFileBytes(Dir.File("ErrLog.txt")), "");
}

}  // namespace
}  // namespace zorv::test
