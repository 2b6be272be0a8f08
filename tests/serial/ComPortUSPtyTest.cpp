// The buffered port over the real driver on pseudo-terminals: the reader
// thread's notification reaches the user-interface thread through the timer.
#include <gtest/gtest.h>

#include <string>

#include "FakeMessageLoop.h"
#include "PtyPort.h"
#include "TempDir.h"
#include "serial/ComPortUS.h"

namespace zorv::test {
namespace {

class ComPortUSPtyTest : public ::testing::Test {
protected:
    ComPortUSPtyTest() {
        Paths.Add(First);
        Paths.Add(Second);
        Port.OnOpen = [this](TComPortUS*) { ++Opens; };
        Port.OnReceiveData = [this](TComPortUS* Sender) {
            ++DataEvents;
            const uint32_t count = Sender->ReceivedBytes();
            Text.append(reinterpret_cast<const char*>(Sender->InpBuf()) + Sender->StartInInpBuf(), count);
            Sender->SetInpBufRead(true);
            Sender->SetStartInInpBuf(Sender->StartInInpBuf() + count);
            Sender->TakeReceivedBytes(count);
            Sender->SetInpBufRead(false);
        };
        Port.SetPort(First.PortNumber());
        Port.SetBaudRate(115200);
    }
    ~ComPortUSPtyTest() override { Port.SetActive(false); }

    // Waits in real time for the reader to store all Count bytes, then runs the
    // user-interface thread until the data event came: the reader posts the
    // timer's arming only after it raised the count.
    bool Arrived(uint32_t Count) {
        return WaitFor([&] { return Port.ReceivedBytes() >= Count; }) && WaitFor([&] {
                   Loop.Advance(10);
                   return DataEvents > 0;
               });
    }

    PtyPort First{21};
    PtyPort Second{22};
    PortPaths Paths;
    FakeMessageLoop Loop;
    TComPortUS Port{Loop, Paths.Backend()};
    int Opens = 0;
    int DataEvents = 0;
    std::string Text;
};

TEST_F(ComPortUSPtyTest, ReceivedBytesRaiseOneDataEventOnTheLoop) {
    Port.SetActive(true);
    ASSERT_EQ(Port.Status(), cpsOpened);
    EXPECT_EQ(Opens, 1);
    ASSERT_TRUE(First.Send("Main ver=5.1.0.48\r"));
    ASSERT_TRUE(Arrived(18));
    EXPECT_EQ(DataEvents, 1);
    EXPECT_EQ(Text, "Main ver=5.1.0.48\r");
}

TEST_F(ComPortUSPtyTest, PutBlockReachesTheDevice) {
    Port.SetActive(true);
    const std::string command = "KVELT_SN?\r\n";
    Port.PutBlock(reinterpret_cast<const uint8_t*>(command.data()), command.size());
    EXPECT_EQ(First.ReadSent(command.size()), command);
}

TEST_F(ComPortUSPtyTest, APortChangeWhileActiveMovesToTheNewDevice) {
    Port.SetActive(true);
    Port.SetPort(Second.PortNumber());
    EXPECT_EQ(Opens, 2);
    EXPECT_EQ(Port.Status(), cpsOpened);
    ASSERT_TRUE(Second.Send("OK\r"));
    ASSERT_TRUE(Arrived(3));
    EXPECT_EQ(Text, "OK\r");
}

TEST_F(ComPortUSPtyTest, AGoneDeviceGivesOpenErrorAndOneUnpluggedWhileOpenClosesCleanly) {
    // Unplugged, its node is gone; not the freed terminal's own path, whose number another program may take at once.
    TempDir dir;
    Paths.Add(First.PortNumber(), dir.File("ttyACM21"));
    First.Unplug();
    Port.SetActive(true);
    EXPECT_EQ(Port.Status(), cpsOpenError);
    Port.SetActive(false);
    Port.SetPort(Second.PortNumber());
    Port.SetActive(true);
    ASSERT_EQ(Port.Status(), cpsOpened);
    Second.Unplug();
    Port.SetActive(false);
    EXPECT_FALSE(Port.Active());
}

}  // namespace
}  // namespace zorv::test
