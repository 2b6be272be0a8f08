// Before windows.h, whose SetPort macro (winspool) would rename the buffered port's method.
#include "serial/ComPortUS.h"

#include <gtest/gtest.h>

#include "FakeMessageLoop.h"
#include "LineFixture.h"
#include "discovery/DeviceSourceWin32.h"
#include "serial/ComPortDrv.h"

#undef SetPort

namespace zorv::test {
namespace {

// What only the Win32 backend shows; the shared contract runs in ComPortDrvContractTest.cpp.
class Win32PortTest : public LineFixture {};

bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

TEST_F(Win32PortTest, CloseEndsTheReaderAndFreesThePort) {
    TDeviceSourceWin32 devices(nullptr);
    EXPECT_TRUE(devices.ProbeExclusive(Device.PortNumber()));
    ASSERT_TRUE(CommDrvOpen(CommDrv));
    // Held by the program, the port is busy to a second open, as to a terminal program's.
    // Wine grants the second open, so there only Windows' answer can be checked.
    if (!UnderWine()) {
        const TPortResult held = devices.ProbeExclusive(Device.PortNumber());
        EXPECT_EQ(held.Outcome, poBusy) << held.Code << " " << held.Text;
    }
    HANDLE reader = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), reinterpret_cast<HANDLE>(CommDrv.ThreadHandle),
                                GetCurrentProcess(), &reader, SYNCHRONIZE, FALSE, 0));
    EXPECT_EQ(WaitForSingleObject(reader, 0), WAIT_TIMEOUT);
    CommDrvClose(CommDrv);
    EXPECT_EQ(WaitForSingleObject(reader, 0), WAIT_OBJECT_0);
    CloseHandle(reader);
    EXPECT_TRUE(devices.ProbeExclusive(Device.PortNumber()));
}

TEST_F(Win32PortTest, BufferedPortOpensOnceAndWrites) {
    test::FakeMessageLoop loop;
    TComPortUS port(loop, Device.Backend());
    int opens = 0;
    port.OnOpen = [&](TComPortUS*) { ++opens; };
    port.SetBaudRate(115200);
    port.SetPort(Device.PortNumber());
    port.SetActive(true);
    port.SetActive(true);
    EXPECT_EQ(port.Status(), cpsOpened);
    EXPECT_EQ(opens, 1);
    const uint8_t line[] = {'O', 'K', '\r', '\n'};
    port.PutBlock(line, sizeof line);
    EXPECT_EQ(Device.ReadSent(4), "OK\r\n");
    port.SetActive(false);
    EXPECT_TRUE(TDeviceSourceWin32(nullptr).ProbeExclusive(Device.PortNumber()));
}

}  // namespace
}  // namespace zorv::test
