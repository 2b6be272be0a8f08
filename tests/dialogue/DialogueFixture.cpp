#include "DialogueFixture.h"

#include "foundation/CommonUtils.h"
#include "dialogue/CommandsList.h"
#include "discovery/SerialPort.h"
#include "serial/ComPortUS.h"

namespace zorv::test {

DialogueTest::DialogueTest() {
    Form.FControllerLogEnabled = true;
    Form.FControllerLogFileName = FDir.File("controller.log");

    Form.FPortList = std::make_unique<TSerialPortList>();
    auto panel = std::make_unique<TSerialPort>();
    panel->PortNumber = kPanelPort;
    panel->PortName = "COM7";
    panel->Product = "Tvak";
    panel->Enabled = true;
    Form.FPortList->push_back(std::move(panel));

    Form.SetPortDefault();
    Form.FCheckPortsTimer = FLoopFake.CreateTimer(5000, [this](ITimer*) { ++CheckPortsTicks; }, false);
    Form.FSendCommandTimer = FLoopFake.CreateTimer(60000, [this](ITimer* t) { Form.OnSendCommandTimer(t); }, false);
    Form.FCommandsList = std::make_unique<TCommandsList>(FResources);

    FBackend.OnWritten = [this](const std::string& block) {
        if (!Answer || block.size() < 2) return;
        std::string replies;
        for (const std::string& line : Answer(block.substr(0, block.size() - 2))) replies += line + "\r\n";
        if (!replies.empty()) FBackend.Receive(replies);
    };
}

DialogueTest::~DialogueTest() { FBackend.OnWritten = nullptr; }

void DialogueTest::Connect() { Form.OnConnectButtonClick(); }

void DialogueTest::Deliver(const std::string& bytes) {
    FBackend.Receive(bytes);
    FLoopFake.Advance(10);
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
    static const std::string kMarker = " IN:  ";
    std::vector<std::string> replies;
    const std::string log = FDir.Read("controller.log");
    size_t start = 0;
    for (size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = log.substr(start, end - start);
        const size_t marker = line.find(kMarker);
        if (marker != std::string::npos) replies.push_back(line.substr(marker + kMarker.size()));
    }
    return replies;
}

std::string DialogueTest::ErrorLog() const { return FDir.Read("ErrLog.txt"); }

}  // namespace zorv::test
