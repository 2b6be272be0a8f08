#include "DialogueFixture.h"

#include <algorithm>

#include "LogLines.h"

#include "dialogue/CommandsList.h"
#include "discovery/SerialPort.h"
#include "foundation/CommonUtils.h"
#include "serial/ComPortUS.h"

namespace zorv::test {

DialogueTest::DialogueTest() {
    FDir.Write("ZorvGSMDemo.ini", "[ProgrammSet]\nControllerLogFileName=" + FDir.File("controller.log") + "\n");
    FHarness.Start();
    FBackend.OnWritten = [this](const std::string& block) {
        if (!Answer || block.size() < 2) return;
        std::string replies;
        for (const std::string& line : Answer(block.substr(0, block.size() - 2))) replies += line + "\r\n";
        if (!replies.empty()) FBackend.Receive(replies);
    };
}

DialogueTest::~DialogueTest() { FBackend.OnWritten = nullptr; }

void DialogueTest::Connect() { FDevices.PlugPanel(kPanelPort); }

void DialogueTest::Unplug() { FDevices.UnplugAll(); }

void DialogueTest::Deliver(const std::string& bytes) {
    FBackend.Receive(bytes);
    FLoopFake.Advance(10);
}

void DialogueTest::DeliverInPieces(std::string bytes, size_t chunk) {
    int stalled = 0;
    while (!bytes.empty() && stalled < 3) {
        const uint32_t stored = FBackend.Receive(bytes.substr(0, chunk));
        bytes.erase(0, stored);
        stalled = stored == 0 ? stalled + 1 : 0;
        FLoopFake.Advance(10);
        LargestHeldLine = std::max(LargestHeldLine, Form.FLineBuffer.size());
    }
    ASSERT_TRUE(bytes.empty()) << "the ring stopped taking bytes";
}

void DialogueTest::Identify(const std::string& version, const std::string& serial, const std::string& login) {
    Connect();
    Deliver("Main ver=" + version + "\r\n");
    FLoopFake.Advance(100);
    Deliver(login + "\r\n");
    Deliver("KVELT_SN=" + serial + "\r\n");
}

std::vector<std::string> DialogueTest::Sent(size_t from) const {
    const std::vector<std::string> lines = FBackend.WrittenLines();
    return from >= lines.size() ? std::vector<std::string>() : std::vector<std::string>(lines.begin() + from, lines.end());
}

std::vector<std::string> DialogueTest::LoggedReplies() const {
    return test::LoggedReplies(ReadFileBytes(Form.FControllerLogFileName));
}

std::string DialogueTest::ErrorLog() const { return FDir.Read("ErrLog.txt"); }

}  // namespace zorv::test
