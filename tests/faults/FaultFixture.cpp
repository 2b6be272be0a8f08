#include "FaultFixture.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

#include "ScriptLines.h"
#include "StateViews.h"
#include "ui/CaptionsList.h"

namespace zorv::test {
namespace {

using namespace std::chrono_literals;

}  // namespace

emu::PanelEmulator& FaultTest::PlugIn(const emu::PanelOptions& options) {
    emu::PanelEmulator& panel = AddDevice(options);
    panel.Plug();
    return panel;
}

emu::PanelEmulator& FaultTest::Connected(const emu::PanelOptions& options) {
    emu::PanelEmulator& panel = PlugIn(options);
    EXPECT_TRUE(WaitForState(psConnected)) << Describe(panel);
    return panel;
}

double FaultTest::ProcessCpuSeconds() {
    std::ifstream file("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The command name may hold blanks; the fields after it are counted from its closing parenthesis.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14) utime = std::stoull(field);
        if (index == 15) {
            stime = std::stoull(field);
            break;
        }
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

bool FaultTest::BackToIdle() {
    const auto end = std::chrono::steady_clock::now() + 1s;
    while (std::chrono::steady_clock::now() < end) {
        const double cpu = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        PumpFor(250ms);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (ProcessCpuSeconds() - cpu < wall / 3) return true;
    }
    return false;
}

std::set<std::string> FaultTest::RuleCommands(int32_t objectNumber) const {
    std::set<std::string> commands = {"",         "VERSION?",      "START_MAIN",    "AUTH=7653",
                                      "KVELT_SN?", "ARM_ALLOWED=2", "ARM_ALLOWED=3", "ARM_ALLOWED=0",
                                      "ARM_IGNORE_TAMPER=1"};
    for (const bool demo : {true, false})
        for (const auto& line : ScriptLines(demo, objectNumber)) commands.insert(line);
    return commands;
}

void FaultTest::ExpectOnlyRuleCommands(const emu::PanelEmulator& panel, int32_t objectNumber) const {
    const std::set<std::string> allowed = RuleCommands(objectNumber);
    for (const auto& line : panel.Record().ReceivedTexts())
        EXPECT_TRUE(allowed.count(line) || IsTimeCommand(line)) << "not a command of the rules: " << line;
}

void FaultTest::ExpectShows(TProgramState state) const {
    ASSERT_EQ(Form.FState, state);
    const StateView& view = kStateViews[state];
    std::string caption;
    GetCaption(std::string(view.Prefix) + "_StateInfo", caption);
    EXPECT_FALSE(caption.empty());
    const auto label = View.Labels.find(TLabelId::ProgrammStateInfo);
    ASSERT_NE(label, View.Labels.end());
    EXPECT_EQ(label->second, caption);
    const auto enabled = [&](TButtonId button) {
        const auto it = View.Enabled.find(button);
        return it != View.Enabled.end() && it->second;
    };
    EXPECT_EQ(enabled(TButtonId::StartDemo), view.StartDemo);
    EXPECT_EQ(enabled(TButtonId::EndDemo), view.EndDemo);
    EXPECT_EQ(enabled(TButtonId::MoneyLittle), view.MoneyLittle);
    EXPECT_EQ(enabled(TButtonId::MoneyOff), view.MoneyOff);
    EXPECT_EQ(enabled(TButtonId::MoneyFull), view.MoneyFull);
}

std::size_t FaultTest::ReceivedCount(const emu::PanelEmulator& panel) { return panel.Record().ReceivedTexts().size(); }

bool FaultTest::WaitReceived(const emu::PanelEmulator& panel, std::size_t count, std::chrono::milliseconds limit) {
    return Pump([&] { return ReceivedCount(panel) >= count; }, limit);
}

bool FaultTest::PumpWithWatchdog(const emu::PanelEmulator& panel, const std::function<bool()>& pred,
                                 std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        const std::size_t before = ReceivedCount(panel);
        if (Pump([&] { return pred() || ReceivedCount(panel) > before; }, 300ms)) {
            if (pred()) return true;
            continue;
        }
        Loop.Advance(60000);
    }
    return pred();
}

void FaultTest::Configure(const std::string& ini) {
    Dir.Write("ZorvGSMDemo.ini", ini);
    Form.ReadIniFile();
}

}  // namespace zorv::test
