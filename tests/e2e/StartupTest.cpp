// Start-up and shutdown of the main window with fake seams in virtual time.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "FakeCommBackend.h"
#include "FakeDeviceSource.h"
#include "FakeMainView.h"
#include "FakeMessageLoop.h"
#include "FormHarness.h"
#include "TextResources.h"
#include "form/ZorvGSMDemoMain.h"
#include "dialogue/CommandsList.h"
#include "discovery/SerialPort.h"
#include "foundation/ApplicationExceptions.h"
#include "foundation/CommonUtils.h"
#include "foundation/Cp1251.h"
#include "foundation/Resources.h"
#include "serial/ComPortUS.h"
#include "ui/CaptionsList.h"
#include "ui/WindowLayout.h"

namespace zorv {
namespace {

// Records, when the port closes, which of the form's other objects still exist.
class ClosingBackend : public test::FakeCommBackend {
public:
    void Close(TCommDrv& Drv) override {
        if (OnClose) OnClose();
        FakeCommBackend::Close(Drv);
    }
    std::function<void()> OnClose;
};

class StartupTest : public ::testing::Test {
protected:
    ~StartupTest() override {
        form.OnFormDestroy();
        SetApplicationExceptionHandler(nullptr);
    }

    test::TextResources resources{&BuiltInResources()};
    ClosingBackend backend;
    test::FakeMessageLoop loop;
    test::FakeMainView view;
    test::FakeDeviceSource devices;
    test::FormHarness harness{{loop, view, devices, backend, resources, {}, "1.0.1"}};
    test::TempDir& dir = harness.Dir;
    TZorvGSMDemoMainForm& form = harness.Form;
};

TEST_F(StartupTest, CreationBuildsTheWindowsRunTimeStateHidden) {
    dir.Write("ZorvGSMDemo.ini", "[Linux]\nDeviceRoot=/tmp/zorv-root\n");
    form.OnFormCreate();
    // The test executable carries file version 1.0.0.1, shown as 1.0.1.
    EXPECT_EQ(view.WindowCaption, Ansi("Зорв GSM: демонстрация работы. Версия 1.0.1"));
    EXPECT_EQ(view.PanelColor, kPanelColor);
    EXPECT_TRUE(devices.Handler);
    EXPECT_EQ(devices.Root, "/tmp/zorv-root");
    ASSERT_TRUE(form.FCheckPortsTimer);
    EXPECT_TRUE(form.FCheckPortsTimer->Enabled());
    EXPECT_EQ(loop.IntervalOf(form.FCheckPortsTimer.get()), 5000u);
    ASSERT_TRUE(form.FSendCommandTimer);
    EXPECT_FALSE(form.FSendCommandTimer->Enabled());
    EXPECT_EQ(loop.IntervalOf(form.FSendCommandTimer.get()), 60000u);
    ASSERT_TRUE(form.FPortList);
    ASSERT_TRUE(form.FComPort);
    EXPECT_EQ(form.FComPort->InpBufSize(), 32768u);
    EXPECT_EQ(devices.QueryCount, 1);
    EXPECT_EQ(view.ShowCount, 0);
    EXPECT_FALSE(CaptionsList);
    EXPECT_FALSE(form.FCommandsList);
}

TEST_F(StartupTest, TheFirstTickLoadsTextsAndScriptAndShowsTheWindowOnce) {
    form.OnFormCreate();
    loop.Advance(1);
    EXPECT_TRUE(CaptionsList);
    ASSERT_TRUE(form.FCommandsList);
    EXPECT_GT(form.FCommandsList->Count(), 0);
    EXPECT_EQ(view.ShowCount, 1);
    EXPECT_EQ(form.FState, psWaitConnect);
    EXPECT_FALSE(view.Labels[TLabelId::ProgrammStateInfo].empty());
    EXPECT_FALSE(view.Captions[TButtonId::StartDemo].empty());
    const size_t timers = loop.LiveTimers();
    loop.Advance(3600 * 1000);
    EXPECT_EQ(view.ShowCount, 1);
    EXPECT_LE(loop.LiveTimers(), timers);
    EXPECT_TRUE(view.MessageBoxes.empty());
}

TEST_F(StartupTest, APanelPresentAtStartIsConnectingBeforeTheWindowShows) {
    devices.AddPanel(3);
    form.OnFormCreate();
    EXPECT_EQ(backend.Opened, (std::vector<int32_t>{3}));
    EXPECT_EQ(form.FTestedPort, 3);
    EXPECT_EQ(view.ShowCount, 0);
    EXPECT_EQ(backend.WrittenLines(), (std::vector<std::string>{"", "VERSION?"}));
    loop.Advance(1);
    EXPECT_EQ(view.ShowCount, 1);
    EXPECT_EQ(form.FState, psWaitConnect);
}

TEST_F(StartupTest, AnEmptyScriptShowsTheMessageAndClosesWithoutShowing) {
    resources.Texts[kStartCmdResource] = "";
    form.OnFormCreate();
    loop.Advance(1);
    ASSERT_EQ(view.MessageBoxes.size(), 1u);
    EXPECT_EQ(view.MessageBoxes[0].Text, Ansi("Нет комманд для запуска демо режима"));
    EXPECT_EQ(view.MessageBoxes[0].Title, MessageBoxTitle());
    EXPECT_EQ(view.MessageBoxes[0].Flags, 0x10u);
    EXPECT_EQ(view.CloseCount, 1);
    EXPECT_EQ(view.ShowCount, 0);
    loop.Advance(10000);
    EXPECT_EQ(view.MessageBoxes.size(), 1u);
}

TEST_F(StartupTest, ExceptionsReachingTheLoopAreOnlyLogged) {
    form.OnFormCreate();
    HandleApplicationException(std::runtime_error("boom"));
    HandleUnknownApplicationException();
    const std::string log = dir.Read("ErrLog.txt");
    EXPECT_NE(log.find("TZorvGSMDemoMainForm.OnApplicationException. Exception Exception. Exception message: boom"),
              std::string::npos);
    EXPECT_NE(log.find("Exception message: unknown exception"), std::string::npos);
    EXPECT_TRUE(view.MessageBoxes.empty());
}

TEST_F(StartupTest, ShutdownClosesThePortBeforeReleasingAnythingElse) {
    devices.AddPanel(3);
    form.OnFormCreate();
    loop.Advance(1);
    ASSERT_TRUE(backend.IsOpen());
    bool othersAlive = false;
    backend.OnClose = [&] {
        othersAlive = form.FCheckPortsTimer && CaptionsList && form.FCommandsList && form.FPortList;
    };
    form.OnFormDestroy();
    EXPECT_TRUE(othersAlive);
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_FALSE(form.FComPort);
    EXPECT_FALSE(form.FCheckPortsTimer);
    EXPECT_FALSE(CaptionsList);
    EXPECT_FALSE(form.FCommandsList);
    EXPECT_FALSE(form.FPortList);
    EXPECT_TRUE(form.FSendCommandTimer);
    // Late notices and a second destruction find nothing to do.
    backend.OnClose = nullptr;
    devices.Notify(kDbtDeviceArrival);
    devices.Notify(kDbtDeviceRemoveComplete);
    form.OnFormDestroy();
    EXPECT_EQ(dir.Read("ErrLog.txt"), "");
}

}  // namespace
}  // namespace zorv
