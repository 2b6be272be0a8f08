// Before windows.h, whose SetPort macro (winspool) would rename the buffered port's method.
#include "serial/ComPortUS.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "FakeMessageLoop.h"
#include "discovery/DeviceSourceWin32.h"
#include "serial/ComPortDrv.h"

#undef SetPort

namespace zorv {
namespace {

// The COM port that run-with-pty-port.py maps to a pseudo-terminal for this run.
int32_t PtyPort() {
    const char* number = std::getenv("ZORV_PTY_COM");
    return number ? std::atoi(number) : 0;
}

TCommDrv& OpenDriver(std::vector<uint8_t>& ring) {
    CommDrv.PortNumber = PtyPort();
    CommDrv.DCB = TDCB{};
    CommDrv.DCB.DCBlength = sizeof(TDCB);
    CommDrv.DCB.BaudRate = 115200;
    CommDrv.DCB.Flags = 1;  // binary
    CommDrv.DCB.ByteSize = 8;
    CommDrv.InpBuf = ring.data();
    CommDrv.InpBufSize = static_cast<uint32_t>(ring.size());
    return CommDrv;
}

// Opening, writing and closing with the reader running. On a pseudo-terminal
// Wine neither ends WaitCommEvent for arriving bytes nor refuses a second open
// of a held port, so reading and the exclusive hold cannot be checked here;
// the script checks on its side what the port wrote.
TEST(Win32Port, OpensWritesAndClosesWithItsReader) {
    ASSERT_GT(PtyPort(), 0) << "run by run-with-pty-port.py";
    TDeviceSourceWin32 devices(nullptr);
    EXPECT_TRUE(devices.ProbeExclusive(PtyPort()));

    std::vector<uint8_t> ring(4096);
    TCommDrv& drv = OpenDriver(ring);
    ASSERT_TRUE(CommDrvOpen(drv));
    EXPECT_NE(drv.Handle, kCommHandleNone);
    const uint8_t line[] = {'V', 'E', 'R', 'S', 'I', 'O', 'N', '?', '\r', '\n'};
    EXPECT_EQ(CommDrvWrite(drv.Handle, line, sizeof line), sizeof line);
    CommDrvClose(drv);  // wakes the reader with SetCommMask(0) and waits for it
    EXPECT_EQ(drv.Handle, kCommHandleNone);
    EXPECT_TRUE(devices.ProbeExclusive(PtyPort()));
}

TEST(Win32Port, BufferedPortOpensAndAnnouncesTheOpenOnce) {
    ASSERT_GT(PtyPort(), 0) << "run by run-with-pty-port.py";
    test::FakeMessageLoop loop;
    TComPortUS port(loop);
    int opens = 0;
    port.OnOpen = [&](TComPortUS*) { ++opens; };
    port.SetBaudRate(115200);
    port.SetPort(PtyPort());
    port.SetActive(true);
    port.SetActive(true);
    EXPECT_EQ(port.Status(), cpsOpened);
    EXPECT_EQ(opens, 1);
    const uint8_t line[] = {'O', 'K', '\r', '\n'};
    port.PutBlock(line, sizeof line);
    port.SetActive(false);
    EXPECT_TRUE(TDeviceSourceWin32(nullptr).ProbeExclusive(PtyPort()));
}

}  // namespace
}  // namespace zorv
