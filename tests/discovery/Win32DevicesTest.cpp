// Before windows.h, whose SetPort macro (winspool) would rename the buffered port's method.
#include "serial/ComPortUS.h"

#include <gtest/gtest.h>

#include <memory>

#include "FakeDeviceSource.h"
#include "FakeMainView.h"
#include "FakeMessageLoop.h"
#include "form/ZorvGSMDemoMain.h"
#include "discovery/DeviceSourceWin32.h"
#include "discovery/SerialPort.h"
#include "foundation/Resources.h"
#include "serial/ComPortDrv.h"
#include "serial/CommBackendWin32.h"
#include "serial/PortResult.h"

#undef SetPort

namespace zorv {
namespace {

// No computer has this many ports; the system reports it missing.
constexpr int32_t kMissingPort = 250;

TEST(Win32Devices, DeviceNameListIsNulSeparatedAndSplitsIntoNames) {
    TDeviceSourceWin32 source(nullptr);
    const std::string names = source.QueryDosDevices();
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names.substr(names.size() - 2), std::string(2, '\0'));
    int32_t position = 1;
    std::string token;
    int count = 0;
    bool drive = false;
    for (TZorvGSMDemoMainForm::NextToken(names, position, token); !token.empty();
         TZorvGSMDemoMainForm::NextToken(names, position, token)) {
        ++count;
        drive = drive || token == "C:";
    }
    EXPECT_GT(count, 0);
    EXPECT_TRUE(drive);
}

TEST(Win32Devices, PortListFromTheSystemHoldsNumberedComPortsOnly) {
    test::FakeMessageLoop loop;
    test::FakeMainView view;
    TDeviceSourceWin32 devices(nullptr);
    const auto ports = MakeWin32CommBackend();
    TZorvGSMDemoMainForm form({loop, view, devices, *ports, BuiltInResources()});
    form.FPortList = std::make_unique<TSerialPortList>();
    form.FillComPortsList();
    for (const auto& port : *form.FPortList) {
        EXPECT_EQ(port->PortName, "COM" + std::to_string(port->PortNumber));
        EXPECT_EQ(port->Product, "");  // no panel is attached here
        EXPECT_FALSE(port->Enabled) << port->PortName;  // only a panel's port is probed
    }
}

// The system's reason for a port that is not there, as the probe and the driver carry it.
void ExpectNoSuchPort(const TPortResult& Result) {
    EXPECT_EQ(Result.Outcome, poGone);
    EXPECT_EQ(Result.Code, uint32_t(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Result.Text, SystemErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(Result.Text.empty());
    EXPECT_EQ(Result.Path, "\\\\.\\COM" + std::to_string(kMissingPort));
}

TEST(Win32Devices, APortThatDoesNotExistCannotBeOpenedAndSaysWhy) {
    TDeviceSourceWin32 source(nullptr);
    const TPortResult probe = source.ProbeExclusive(kMissingPort);
    EXPECT_FALSE(probe);
    ExpectNoSuchPort(probe);

    const auto backend = MakeWin32CommBackend();
    TCommDrv drv;
    drv.Backend = backend.get();
    drv.PortNumber = kMissingPort;
    std::vector<uint8_t> ring(64);
    drv.InpBuf = ring.data();
    drv.InpBufSize = static_cast<uint32_t>(ring.size());
    EXPECT_FALSE(CommDrvOpen(drv));
    EXPECT_EQ(drv.Handle, kCommHandleNone);
    ExpectNoSuchPort(drv.OpenResult);
    CommDrvClose(drv);  // closing a closed driver state does nothing

    test::FakeMessageLoop loop;
    TComPortUS port(loop, *backend);
    port.SetPort(kMissingPort);
    port.SetActive(true);
    EXPECT_EQ(port.Status(), cpsOpenError);
    ExpectNoSuchPort(port.OpenResult());
    port.SetActive(false);
    EXPECT_EQ(port.Status(), cpsOpenError);
}

}  // namespace
}  // namespace zorv
