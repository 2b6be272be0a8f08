// The buffered port over the fake backend in virtual time: settings, opening,
// the input timer and the consumer's side of the ring.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "FakeCommBackend.h"
#include "FakeMessageLoop.h"
#include "RowName.h"
#include "TempDir.h"
#include "dialogue/RingLineReader.h"
#include "foundation/CommonUtils.h"
#include "serial/ComPortUS.h"

namespace zorv::test {
namespace {

class ComPortUSTest : public ::testing::Test {
protected:
    ComPortUSTest() {
        Port->OnOpen = [this](TComPortUS* Sender) {
            EXPECT_EQ(Sender, Port.get());
            ++Opens;
        };
        Port->OnReceiveData = [this](TComPortUS* Sender) {
            EXPECT_EQ(Sender, Port.get());
            ++DataEvents;
        };
    }
    ~ComPortUSTest() override { Port.reset(); }

    // Takes every complete line out of the ring with the dialogue's own reader.
    std::vector<std::string> TakeLines() {
        std::vector<std::string> lines;
        for (std::vector<uint8_t> line; Reader.NextLine(*Port, line);) lines.emplace_back(line.begin(), line.end() - 1);
        return lines;
    }

    TempDir Dir;
    FakeCommBackend Backend;
    FakeMessageLoop Loop;
    TErrorLog Errors{Dir.File("ErrLog.txt"), [this] { return Loop.Now(); }};
    std::unique_ptr<TComPortUS> Port = std::make_unique<TComPortUS>(Loop, Backend);
    int Opens = 0;
    int DataEvents = 0;
    std::vector<uint8_t> HeldLine;
    int32_t HeldLength = 0;
    TRingLineReader Reader{HeldLine, HeldLength};
};

TEST_F(ComPortUSTest, CreateSetsTheInitialSettings) {
    EXPECT_EQ(Port->Status(), cpsClosed);
    EXPECT_FALSE(Port->Active());
    EXPECT_EQ(Port->InpBufSize(), 4096u);
    EXPECT_EQ(CommDrv.InpBuf, Port->InpBuf());
    EXPECT_EQ(CommDrv.InpBufSize, 4096u);
    EXPECT_EQ(Port->BaudRate(), 38400u);
    EXPECT_EQ(Port->DataBits(), 8);
    EXPECT_EQ(Port->StopBits(), 0);
    EXPECT_EQ(Port->Parity(), 0);
    EXPECT_EQ(CommDrv.DCB.DCBlength, 28u);
    EXPECT_EQ(CommDrv.DCB.Flags, 1u);
    EXPECT_EQ(Port->ReceivedBytes(), 0u);
    EXPECT_EQ(Loop.LiveTimers(), 1u);
}

struct SettingCase {
    const char* Setting;
    uint32_t Value;
    uint32_t Stored;
};

void PrintTo(const SettingCase& c, std::ostream* os) { *os << c.Setting << " " << c.Value; }

class ComPortUSSettingTest : public ComPortUSTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(ComPortUSSettingTest, StoresAcceptedValuesAndTheDefaultForOthers) {
    const SettingCase& c = GetParam();
    const std::string setting = c.Setting;
    if (setting == "BaudRate") {
        Port->SetBaudRate(c.Value);
        EXPECT_EQ(Port->BaudRate(), c.Stored);
    } else if (setting == "StopBits") {
        Port->SetStopBits(static_cast<uint8_t>(c.Value));
        EXPECT_EQ(Port->StopBits(), c.Stored);
    } else if (setting == "Parity") {
        Port->SetParity(static_cast<uint8_t>(c.Value));
        EXPECT_EQ(Port->Parity(), c.Stored);
    } else {
        Port->SetDataBits(static_cast<uint8_t>(c.Value));
        EXPECT_EQ(Port->DataBits(), c.Stored);
    }
}

std::vector<SettingCase> SettingCases() {
    std::vector<SettingCase> cases;
    for (uint32_t baud : {110u, 300u, 600u, 1200u, 2400u, 4800u, 7200u, 9600u, 14400u, 19200u, 56000u, 57600u,
                          115200u, 128000u, 230400u, 256000u, 460800u, 921600u})
        cases.push_back({"BaudRate", baud, baud});
    for (uint32_t baud : {0u, 12345u, 38401u, 1000000u, 4294967295u}) cases.push_back({"BaudRate", baud, 9600});
    for (uint32_t bits : {1u, 2u}) cases.push_back({"StopBits", bits, bits});
    for (uint32_t bits : {3u, 255u}) cases.push_back({"StopBits", bits, 0});
    for (uint32_t parity : {1u, 2u, 3u, 4u}) cases.push_back({"Parity", parity, parity});
    for (uint32_t parity : {5u, 7u, 255u}) cases.push_back({"Parity", parity, 0});
    for (uint32_t bits : {5u, 7u, 9u, 0u}) cases.push_back({"DataBits", bits, bits});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, ComPortUSSettingTest, ::testing::ValuesIn(SettingCases()), test::RowName());

TEST_F(ComPortUSTest, ActiveTrueTwiceOpensOnceAndRaisesOnOpenOnce) {
    Port->SetPort(3);
    Port->SetActive(true);
    Port->SetActive(true);
    EXPECT_EQ(Backend.Opened, std::vector<int32_t>{3});
    EXPECT_EQ(Opens, 1);
    EXPECT_EQ(Port->Status(), cpsOpened);
    Port->SetActive(false);
    EXPECT_EQ(Backend.CloseCount, 1);
    EXPECT_EQ(Port->Status(), cpsOpened);  // closing leaves the status alone
}

TEST_F(ComPortUSTest, PortChangeWhileActiveReopensOnTheNewPort) {
    Port->SetPort(3);
    Port->SetActive(true);
    Port->SetPort(4);
    EXPECT_EQ(Backend.Opened, (std::vector<int32_t>{3, 4}));
    EXPECT_EQ(Backend.CloseCount, 1);
    EXPECT_EQ(Backend.OpenPort, 4);
    EXPECT_EQ(Opens, 2);
}

TEST_F(ComPortUSTest, ASettingChangedWhileActiveReopensWithTheCheckedValue) {
    Port->SetPort(3);
    Port->SetActive(true);
    Port->SetBaudRate(12345);
    ASSERT_EQ(Backend.OpenedSettings.size(), 2u);
    EXPECT_EQ(Backend.OpenedSettings[1].BaudRate, 9600u);
    Port->SetParity(2);
    Port->SetStopBits(2);
    Port->SetDataBits(7);
    ASSERT_EQ(Backend.OpenedSettings.size(), 5u);
    EXPECT_EQ(Backend.OpenedSettings[4].Parity, 2);
    EXPECT_EQ(Backend.OpenedSettings[4].StopBits, 2);
    EXPECT_EQ(Backend.OpenedSettings[4].ByteSize, 7);
}

TEST_F(ComPortUSTest, SettingTheCurrentValueDoesNothing) {
    Port->SetPort(3);
    Port->SetActive(true);
    ASSERT_TRUE(Backend.Receive("kept"));
    Port->SetPort(3);
    Port->SetBaudRate(38400);
    Port->SetDataBits(8);
    Port->SetStopBits(0);
    Port->SetParity(0);
    Port->SetInpBufSize(4096);
    EXPECT_EQ(Backend.Opened.size(), 1u);
    EXPECT_EQ(Port->ReceivedBytes(), 4u);
}

TEST_F(ComPortUSTest, AFailedOpenLeavesOpenErrorAndActive) {
    Backend.SetPortMissing(7);
    Port->SetPort(7);
    Port->SetActive(true);
    EXPECT_EQ(Port->Status(), cpsOpenError);
    EXPECT_EQ(Port->OpenResult().Outcome, poGone);
    EXPECT_EQ(Port->OpenResult().Path, "/dev/port7");
    EXPECT_TRUE(Port->Active());
    EXPECT_EQ(Opens, 0);
    Port->SetActive(false);
    EXPECT_EQ(Backend.CloseCount, 0);
    Backend.SetPortMissing(7, false);
    Port->SetActive(true);
    EXPECT_EQ(Port->Status(), cpsOpened);
    EXPECT_TRUE(Port->OpenResult());
}

TEST_F(ComPortUSTest, ANewRingSizeDiscardsTheUnreadBytes) {
    Port->SetPort(3);
    Port->SetActive(true);
    Backend.Receive("lost");
    Port->SetInpBufSize(32768);
    EXPECT_EQ(Port->InpBufSize(), 32768u);
    EXPECT_EQ(CommDrv.InpBufSize, 32768u);
    EXPECT_EQ(CommDrv.InpBuf, Port->InpBuf());
    EXPECT_EQ(Port->ReceivedBytes(), 0u);
    EXPECT_EQ(Backend.Opened.size(), 2u);
    Backend.Receive("new\r");
    EXPECT_EQ(TakeLines(), std::vector<std::string>{"new"});
}

TEST_F(ComPortUSTest, ARingOfSizeZeroTakesNothing) {
    Port->SetInpBufSize(0);
    Port->SetPort(3);
    Port->SetActive(true);
    EXPECT_EQ(Backend.Receive("abc"), 0u);
    Loop.Advance(20);
    EXPECT_EQ(DataEvents, 0);
}

TEST_F(ComPortUSTest, PiecesWithinTenMillisecondsGiveOneDataEvent) {
    Port->SetPort(3);
    Port->SetActive(true);
    Backend.Receive("VER");
    Loop.Advance(3);
    Backend.Receive("SION");
    Loop.Advance(6);
    EXPECT_EQ(DataEvents, 0);
    Backend.Receive("?\r");
    Loop.Advance(1);
    EXPECT_EQ(DataEvents, 1);
    Loop.Advance(100);
    EXPECT_EQ(DataEvents, 1);
    EXPECT_EQ(TakeLines(), std::vector<std::string>{"VERSION?"});
}

TEST_F(ComPortUSTest, BytesArrivingWhileTheConsumerRunsGiveASecondEvent) {
    Port->SetPort(3);
    Port->SetActive(true);
    Port->OnReceiveData = [this](TComPortUS*) {
        if (++DataEvents == 1) Backend.Receive("more\r");
    };
    Backend.Receive("first\r");
    Loop.Advance(10);
    EXPECT_EQ(DataEvents, 1);
    Loop.Advance(10);
    EXPECT_EQ(DataEvents, 2);
}

// Spins, so that both threads run at once, and yields only when the other has no core.
template <typename Pred>
void SpinUntil(Pred Done) {
    for (int spins = 0; !Done(); ++spins)
        if (spins > 10000) std::this_thread::yield();
}

// The hand-over at the end of a scan, raced on two threads many times: the
// consumer clears its busy flag and reads the count while the reader raises the
// count and reads the flag. At least one side must see the other, or the last
// reply waits unannounced for the panel's next byte.
TEST_F(ComPortUSTest, TheHandOverNeverLosesBothTheCountAndTheNotification) {
    constexpr int kRounds = 200000;
    std::atomic<int> round{0};
    std::atomic<int> ready{0};
    std::atomic<bool> notified{false};
    CommDrv.OnReceived = [&] { notified.store(true, std::memory_order_relaxed); };
    int lost = 0;
    std::thread reader([&] {
        const uint8_t byte = 'x';
        for (int r = 1; r <= kRounds; ++r) {
            SpinUntil([&] { return round.load() == r; });
            CommDrvStoreReceived(CommDrv, &byte, 1);
            ready.fetch_add(1);
        }
    });
    for (int r = 1; r <= kRounds; ++r) {
        CommDrv.ReceivedBytes.store(0);
        CommDrv.WritePos = 0;
        CommDrv.InpBufRead.store(true);
        notified.store(false);
        round.store(r);
        Port->SetInpBufRead(false);
        const uint32_t seen = Port->ReceivedBytes();
        SpinUntil([&] { return ready.load() == r; });
        if (seen == 0 && !notified.load()) ++lost;
    }
    reader.join();
    CommDrv.OnReceived = nullptr;
    EXPECT_EQ(lost, 0);
}

TEST_F(ComPortUSTest, NoBytesArmNothing) {
    Port->OnReceivedBytes();
    Loop.Advance(100);
    EXPECT_EQ(DataEvents, 0);
}

TEST_F(ComPortUSTest, ANotificationPostedBeforeDestroyIsHarmless) {
    Port->SetPort(3);
    Port->SetActive(true);
    Backend.Receive("x");
    Port->SetActive(false);
    Port.reset();
    Loop.Advance(100);
    EXPECT_EQ(DataEvents, 0);
    EXPECT_EQ(CommDrv.InpBuf, nullptr);
    EXPECT_FALSE(CommDrv.OnReceived);
}

TEST_F(ComPortUSTest, DestroyClosesAnActivePort) {
    Port->SetPort(3);
    Port->SetActive(true);
    Port.reset();
    EXPECT_FALSE(Backend.IsOpen());
    EXPECT_EQ(Backend.CloseCount, 1);
}

TEST_F(ComPortUSTest, PutBlockWritesWhileOpenOnly) {
    const std::string command = "VERSION?\r\n";
    Port->PutBlock(reinterpret_cast<const uint8_t*>(command.data()), command.size());
    EXPECT_TRUE(Backend.Written.empty());
    Port->SetPort(3);
    Port->SetActive(true);
    Port->PutBlock(reinterpret_cast<const uint8_t*>(command.data()), command.size());
    Port->PutBlock(nullptr, 5);
    EXPECT_EQ(Backend.WrittenLines(), std::vector<std::string>{"VERSION?"});
}

TEST_F(ComPortUSTest, ALineWrappingTheRingEndIsJoined) {
    Port->SetInpBufSize(16);
    Port->SetPort(3);
    Port->SetActive(true);
    Backend.Receive("0123456789\r");
    EXPECT_EQ(TakeLines(), std::vector<std::string>{"0123456789"});
    EXPECT_EQ(Backend.Receive("ABCDEFGH\rxy"), 11u);
    EXPECT_EQ(TakeLines(), std::vector<std::string>{"ABCDEFGH"});
    EXPECT_EQ(Port->ReceivedBytes(), 2u);
    Backend.Receive("z\r");
    EXPECT_EQ(TakeLines(), std::vector<std::string>{"xyz"});
}

TEST_F(ComPortUSTest, FailuresInsideHandlersAreLoggedUnderTheirNames) {
    Port->SetPort(3);
    Port->OnOpen = [](TComPortUS*) { throw std::runtime_error("open handler"); };
    Port->OnReceiveData = [](TComPortUS*) { throw std::runtime_error("data handler"); };
    Port->SetActive(true);
    EXPECT_TRUE(Port->Active());
    Backend.Receive("x");
    Loop.Advance(10);
    const std::string log = Dir.Read("ErrLog.txt");
    EXPECT_NE(log.find("TComPortUS.SetActive"), std::string::npos) << log;
    EXPECT_NE(log.find("TComPortUS.OnInpTimer"), std::string::npos) << log;
    Port->OnReceiveData = nullptr;
    Backend.Receive("y");
    Loop.Advance(10);  // the timer was disabled before the failing handler, and is armed again
    EXPECT_EQ(Port->ReceivedBytes(), 2u);
}

}  // namespace
}  // namespace zorv::test
