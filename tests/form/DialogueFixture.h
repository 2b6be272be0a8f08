#pragma once
// The main window started as the program starts it, with fake seams: a
// message loop in virtual time, a window that records, a serial backend
// without a device, and a device list that Connect() plugs the panel into.
// Bytes "from the panel" go into the receive ring as the reader would store
// them; the 10 ms input timer then hands them to the dialogue.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FormHarness.h"

namespace zorv::test {

class DialogueTest : public ::testing::Test, protected FakeForm {
protected:
    static constexpr int32_t kPanelPort = 7;

    DialogueTest();
    ~DialogueTest() override;

    // Plugs the panel in: discovery finds its port and opens it; the handshake starts.
    void Connect();
    // The panel's port goes, as when it is unplugged or restarts.
    void Unplug();
    // Stores bytes in the ring and lets the input timer deliver them.
    void Deliver(const std::string& bytes);
    // Stores the bytes a piece at a time as the ring has room, the input timer delivering each
    // piece; tracks the largest line the form held meanwhile.
    void DeliverInPieces(std::string bytes, size_t chunk = 4096);
    // Connects and answers the handshake, the login and the serial-number query.
    void Identify(const std::string& version = "5.1.10.6", const std::string& serial = "123456",
                  const std::string& login = "OK");

    // Lines written to the port (each without its CR LF), from the given index on.
    std::vector<std::string> Sent(size_t from = 0) const;
    size_t SentCount() const { return Sent().size(); }
    // Reply lines as the controller log recorded them.
    std::vector<std::string> LoggedReplies() const;
    std::string ErrorLog() const;

    // Answers each written command with the lines that Answer gives (nothing while unset).
    std::function<std::vector<std::string>(const std::string& command)> Answer;
    size_t LargestHeldLine = 0;
};

}  // namespace zorv::test
