// The port list of the main window against a device source that the test describes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FormHarness.h"
#include "LogLines.h"
#include "RowName.h"
#include "form/ZorvGSMDemoMain.h"
#include "discovery/SerialPort.h"
#include "foundation/CommonUtils.h"
#include "serial/ComPortUS.h"

namespace zorv {
namespace {

class PortListTest : public ::testing::Test, protected test::FakeForm {
protected:
    PortListTest() { FHarness.Start(); }

    // A present panel whose port is COMn.
    void Panel(int32_t n, bool openable = true) { FDevices.AddPanel(n, openable); }
    void OtherPort(int32_t n) {
        FDevices.DosDevices.push_back("COM" + std::to_string(n));
        FDevices.Openable[n] = true;
    }
    void Unplug(int32_t n) {
        const std::string name = "COM" + std::to_string(n);
        auto& names = FDevices.DosDevices;
        names.erase(std::remove(names.begin(), names.end(), name), names.end());
        auto& friendly = FDevices.FriendlyNames;
        friendly.erase(std::remove_if(friendly.begin(), friendly.end(),
                                      [&](const std::string& f) { return f.find("(" + name + ")") != std::string::npos; }),
                       friendly.end());
    }
    // Connected as after the panel answered from its main firmware.
    void Connected(int32_t n) {
        Panel(n);
        FDevices.Notify(kDbtDeviceArrival);
        ASSERT_EQ(Form.FTestedPort, n);
        Form.FMainFirmware = true;
        Form.FState = psConnected;
    }
    std::vector<int32_t> Listed() const {
        std::vector<int32_t> numbers;
        for (const auto& port : *Form.FPortList) numbers.push_back(port->PortNumber);
        return numbers;
    }
    std::vector<int32_t> Marked() const {
        std::vector<int32_t> numbers;
        for (const auto& port : *Form.FPortList)
            if (port->Product == "Tvak") numbers.push_back(port->PortNumber);
        return numbers;
    }
    bool TimerOn() const { return Form.FCheckPortsTimer->Enabled(); }
    // The error log's lines without their time stamps.
    std::vector<std::string> ErrLines() const {
        std::vector<std::string> lines;
        for (const std::string& line : test::CrLfLines(FDir.Read("ErrLog.txt"))) lines.push_back(line.substr(line.find(": ") + 2));
        return lines;
    }
};

TEST_F(PortListTest, ListsComNamesFollowedByADecimalNumberOnly) {
    FDevices.DosDevices = {"COM1", "COMX", "com3", "COM", "COM10", "LPT1", "COM-2", "COM 4", "COM$5", "COM256",
                          "COM2147483648", "COM12a"};
    Form.FillComPortsList();
    EXPECT_EQ(Listed(), (std::vector<int32_t>{1, 10, 256}));
    EXPECT_EQ((*Form.FPortList)[1]->PortName, "COM10");
}

TEST_F(PortListTest, AsksForThePanelsInstancePath) {
    Form.FillComPortsList();
    EXPECT_EQ(FDevices.RequestedInstancePath, "USB\\VID_FFFF&PID_2331\\TVAK");
}

struct FriendlyNameCase {
    const char* Title;
    std::string Name;
    int32_t Marked;  // -1: nothing
};

void PrintTo(const FriendlyNameCase& c, std::ostream* os) { *os << c.Title; }

class FriendlyNameTest : public PortListTest, public ::testing::WithParamInterface<FriendlyNameCase> {};

TEST_P(FriendlyNameTest, MarksThePortNamedAtTheEnd) {
    FDevices.DosDevices = {"COM1", "COM5", "COM12"};
    FDevices.FriendlyNames = {GetParam().Name};
    Form.FillComPortsList();
    const std::vector<int32_t> expected =
        GetParam().Marked < 0 ? std::vector<int32_t>{} : std::vector<int32_t>{GetParam().Marked};
    EXPECT_EQ(Marked(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, FriendlyNameTest,
    ::testing::Values(FriendlyNameCase{"Plain", "Zorv GSM (COM5)", 5},
                      FriendlyNameCase{"TwoDigits", "Zorv GSM (COM12)", 12},
                      FriendlyNameCase{"OnlyTheNumber", "(COM1)", 1},
                      FriendlyNameCase{"TextAfterParenthesis", "Zorv GSM (COM5) x", -1},
                      FriendlyNameCase{"BlankAfterParenthesis", "Zorv GSM (COM5) ", -1},
                      FriendlyNameCase{"Letters", "Zorv GSM (COMX)", -1},
                      FriendlyNameCase{"NoNumber", "Zorv GSM (COM)", -1},
                      FriendlyNameCase{"Truncated", "(COM", -1},
                      FriendlyNameCase{"NoParenthesis", "Zorv GSM COM5", -1},
                      FriendlyNameCase{"PortNotListed", "Zorv GSM (COM7)", -1},
                      FriendlyNameCase{"Empty", "", -1},
                      FriendlyNameCase{"EndsAtNul", std::string("Zorv GSM (COM5)\0tail", 20), 5},
                      FriendlyNameCase{"LongerThanTheBuffer", std::string(300, 'x') + " (COM5)", -1},
                      FriendlyNameCase{"Negative", "Zorv GSM (COM-5)", -1}),
    test::RowName());

TEST_F(PortListTest, WithoutADeviceSetNothingIsMarkedOrOpened) {
    Panel(5);
    FDevices.ClassDevsAvailable = false;
    FDevices.Notify(kDbtDeviceArrival);
    EXPECT_TRUE(Marked().empty());
    EXPECT_TRUE(FBackend.Opened.empty());
    EXPECT_TRUE(TimerOn());
}

TEST_F(PortListTest, OnlyPanelPortsAreOpenedToProbeThem) {
    OtherPort(1);
    Panel(5);
    OtherPort(3);
    Form.FillComPortsList();
    EXPECT_EQ(FDevices.Probed, (std::vector<int32_t>{5}));
    for (const auto& port : *Form.FPortList) EXPECT_EQ(port->Enabled, port->PortNumber == 5);
}

TEST_F(PortListTest, APortHeldByAnotherProgramIsNeverChosenAndLoggedOnce) {
    Panel(3, false);
    FDevices.Notify(kDbtDeviceArrival);
    EXPECT_EQ(Form.GetTestedPortNumber(), -1);
    EXPECT_TRUE(FBackend.Opened.empty());
    EXPECT_TRUE(TimerOn());
    FLoopFake.Advance(20000);
    EXPECT_TRUE(FBackend.Opened.empty());
    // Not once per port check, and without the advice meant for a refused permission.
    EXPECT_EQ(ErrLines(), (std::vector<std::string>{"TZorvGSMDemoMainForm.CheckComPortsEnabled: COM3 (/dev/port3) "
                                                    "cannot be opened: Device or resource busy"}));
    ASSERT_EQ(FViewFake.MessageBoxes.size(), 1u);
    EXPECT_EQ(FViewFake.MessageBoxes[0].Text, PortBusyMessage("/dev/port3"));
}

TEST_F(PortListTest, ARefusedPermissionIsToldOnceItLastsButNotInTheMomentBeforeUdevGrantsIt) {
    const TPortResult refused{poDenied, 13, "Permission denied", "/dev/ttyACM0"};
    Panel(5);
    FDevices.Refusals[5] = refused;
    FDevices.Notify(kDbtDeviceArrival);
    FLoopFake.Advance(100);
    FDevices.Refusals.clear();
    FDevices.Notify(kDbtDeviceArrival);  // the node got its group and mode
    EXPECT_EQ(FBackend.Opened, (std::vector<int32_t>{5}));
    EXPECT_EQ(FDir.Read("ErrLog.txt"), "");
    EXPECT_TRUE(FViewFake.MessageBoxes.empty());

    Unplug(5);
    FDevices.Notify(kDbtDeviceRemoveComplete);
    Panel(5);
    FDevices.Refusals[5] = refused;  // and no rule grants it this time
    FDevices.Notify(kDbtDeviceArrival);
    FLoopFake.Advance(60000);
    EXPECT_EQ(ErrLines(), (std::vector<std::string>{"TZorvGSMDemoMainForm.CheckComPortsEnabled: COM5 (/dev/ttyACM0) "
                                                    "cannot be opened: Permission denied"}));
    ASSERT_EQ(FViewFake.MessageBoxes.size(), 1u);
    EXPECT_EQ(FViewFake.MessageBoxes[0].Title, MessageBoxTitle());
    EXPECT_EQ(FViewFake.MessageBoxes[0].Flags, 16u);
    EXPECT_NE(FViewFake.MessageBoxes[0].Text.find("/dev/ttyACM0"), std::string::npos);
    EXPECT_NE(FViewFake.MessageBoxes[0].Text.find("dialout"), std::string::npos);

    // Another refused port is logged; the advice is given once per run.
    Panel(6);
    FDevices.Refusals[6] = {poDenied, 13, "Permission denied", "/dev/ttyACM1"};
    FDevices.Notify(kDbtDeviceArrival);
    FLoopFake.Advance(10000);
    EXPECT_EQ(ErrLines().size(), 2u);
    EXPECT_EQ(FViewFake.MessageBoxes.size(), 1u);
}

TEST_F(PortListTest, TheFirstOfTwoUsablePanelPortsIsOpenedAt115200) {
    Panel(7);
    Panel(4);
    Form.FComPort->SetBaudRate(9600);
    FDevices.Notify(kDbtDeviceArrival);
    ASSERT_EQ(FBackend.Opened, (std::vector<int32_t>{7}));
    EXPECT_EQ(FBackend.OpenedSettings[0].BaudRate, 115200u);
    EXPECT_EQ(Form.FTestedPort, 7);
    EXPECT_FALSE(TimerOn());
    EXPECT_EQ(FBackend.WrittenLines(), (std::vector<std::string>{"", "VERSION?"}));
}

TEST_F(PortListTest, ProductWordIsFoundWithoutRegardToCase) {
    auto port = std::make_unique<TSerialPort>();
    port->PortNumber = 9;
    port->Product = "usb TVAK port";
    port->Enabled = true;
    Form.FPortList->push_back(std::move(port));
    EXPECT_EQ(Form.GetTestedPortNumber(), 9);
    (*Form.FPortList)[0]->Enabled = false;
    EXPECT_EQ(Form.GetTestedPortNumber(), -1);
}

TEST_F(PortListTest, ConnectWithoutAUsablePanelPortDoesNothing) {
    OtherPort(1);
    Form.FillComPortsList();
    Form.OnConnectButtonClick();
    EXPECT_TRUE(FBackend.Opened.empty());
    EXPECT_FALSE(Form.FComPort->Active());
}

TEST_F(PortListTest, ArrivalWhileConnectedRestartsTheTimerWhoseTicksDoNothing) {
    Connected(5);
    EXPECT_FALSE(TimerOn());
    FDevices.Probed.clear();
    FDevices.Notify(kDbtDeviceArrival);
    EXPECT_TRUE(TimerOn());
    EXPECT_TRUE(FDevices.Probed.empty());  // the held port is not probed
    const int queries = FDevices.QueryCount;
    FLoopFake.Advance(30000);
    EXPECT_EQ(FDevices.QueryCount, queries);
    EXPECT_EQ(FBackend.Opened, (std::vector<int32_t>{5}));
    EXPECT_TRUE(FBackend.IsOpen());
}

TEST_F(PortListTest, UnplugWhileConnectedClosesThePortAndShowsTheWaitingState) {
    Connected(5);
    Unplug(5);
    FDevices.Notify(kDbtDeviceRemoveComplete);
    EXPECT_FALSE(FBackend.IsOpen());
    EXPECT_FALSE(Form.FComPort->Active());
    EXPECT_EQ(Form.FTestedPort, -1);
    EXPECT_FALSE(Form.FMainFirmware);
    EXPECT_EQ(Form.FState, psWaitConnect);
    EXPECT_FALSE(TimerOn());
}

TEST_F(PortListTest, UnplugWhileALoadIsPendingKeepsTheState) {
    Connected(5);
    Form.FLoadDemoPending = true;
    Form.FState = psLoadDemo;
    Unplug(5);
    FDevices.Notify(kDbtDeviceRemoveComplete);
    EXPECT_FALSE(FBackend.IsOpen());
    EXPECT_EQ(Form.FState, psLoadDemo);
    EXPECT_TRUE(Form.FLoadDemoPending);
}

TEST_F(PortListTest, RemovalOfAnotherDeviceWhileConnectedKeepsTheConnection) {
    OtherPort(1);
    Connected(5);
    Unplug(1);
    FDevices.Notify(kDbtDeviceRemoveComplete);
    EXPECT_TRUE(FBackend.IsOpen());
    EXPECT_EQ(Form.FTestedPort, 5);
    EXPECT_EQ(Form.FState, psConnected);
}

TEST_F(PortListTest, AnyRemovalWithoutAUsablePanelPortClosesThePort) {
    Panel(5);
    FDevices.Notify(kDbtDeviceArrival);
    ASSERT_TRUE(FBackend.IsOpen());
    FDevices.Openable[5] = false;  // held by the program itself, the handshake still running
    FDevices.Notify(kDbtDeviceArrival);
    FLoopFake.Advance(10000);
    EXPECT_EQ(FDir.Read("ErrLog.txt"), "");  // the program's own hold is no failure
    FDevices.Notify(kDbtDeviceRemoveComplete);
    EXPECT_FALSE(FBackend.IsOpen());
    EXPECT_FALSE(Form.FComPort->Active());
    EXPECT_EQ(Form.FTestedPort, -1);
    EXPECT_FALSE(Form.FMainFirmware);
    EXPECT_FALSE(TimerOn());
}

TEST_F(PortListTest, AFailedOpenIsRetriedByThePortCheck) {
    Panel(5);
    FBackend.SetPortMissing(5);  // appeared, but not yet accessible
    FDevices.Notify(kDbtDeviceArrival);
    EXPECT_TRUE(FBackend.Opened.empty());
    EXPECT_EQ(Form.FTestedPort, -1);
    EXPECT_TRUE(TimerOn());
    FLoopFake.Advance(5000);
    EXPECT_TRUE(FBackend.Opened.empty());
    FBackend.SetPortMissing(5, false);
    FLoopFake.Advance(5000);
    EXPECT_EQ(FBackend.Opened, (std::vector<int32_t>{5}));
    EXPECT_EQ(Form.FTestedPort, 5);
    EXPECT_FALSE(TimerOn());
    EXPECT_EQ(ErrLines(), (std::vector<std::string>{"TZorvGSMDemoMainForm.OnConnectButtonClick: COM5 (/dev/port5) "
                                                    "cannot be opened: No such file or directory"}));
}

TEST_F(PortListTest, OtherMessagesAndDeviceTypesAreIgnored) {
    Panel(5);
    const int queries = FDevices.QueryCount;  // start-up's
    FDevices.Notify(0x0007);                    // nodes changed
    FDevices.Notify(kDbtDeviceArrival, 3);      // a volume
    FDevices.Notify(kDbtDeviceRemoveComplete, 2);
    EXPECT_EQ(FDevices.QueryCount, queries);
    EXPECT_TRUE(FBackend.Opened.empty());
}

TEST_F(PortListTest, AFailedDeviceListLeavesTheListEmptyAndIsLogged) {
    Panel(5);
    Form.FillComPortsList();
    FDevices.QueryError = "The parameter is incorrect";
    FDevices.Probed.clear();
    Form.FillComPortsList();
    EXPECT_TRUE(Form.FPortList->empty());
    EXPECT_TRUE(FDevices.Probed.empty());
    EXPECT_NE(FDir.Read("ErrLog.txt").find("TZorvGSMDemoMainForm.FillComPortsList. Exception EOSError. "
                                          "Exception message: The parameter is incorrect"),
              std::string::npos);
}

TEST_F(PortListTest, NotificationsAfterTheListWasReleasedAreHarmless) {
    Panel(5);
    Form.FPortList.reset();
    FDevices.Notify(kDbtDeviceArrival);
    FDevices.Notify(kDbtDeviceRemoveComplete);
    FLoopFake.Advance(10000);
    EXPECT_TRUE(FBackend.Opened.empty());
    EXPECT_EQ(FDir.Read("ErrLog.txt"), "");
}

TEST_F(PortListTest, SetPortDefaultConfiguresOnceAndKeepsThePortClosed) {
    TComPortUS* port = Form.FComPort.get();
    EXPECT_EQ(port->Port(), 1);
    EXPECT_EQ(port->BaudRate(), 115200u);
    EXPECT_EQ(port->DataBits(), 8);
    EXPECT_EQ(port->StopBits(), 0);
    EXPECT_EQ(port->Parity(), 0);
    EXPECT_EQ(port->InpBufSize(), 32768u);
    EXPECT_FALSE(port->Active());
    port->SetPort(4);
    Form.SetPortDefault();
    EXPECT_EQ(Form.FComPort.get(), port);
    EXPECT_EQ(port->Port(), 4);
}

}  // namespace
}  // namespace zorv
