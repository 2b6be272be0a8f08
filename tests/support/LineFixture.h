#pragma once
// The driver state set for a device-side line, 115200 8N1 in binary mode, with a 4096-byte ring.
#include "LineDevice.h"
#include "RingFixture.h"
#include "serial/ComPortDrv.h"

namespace zorv::test {

class LineFixture : public RingFixture {
protected:
    LineFixture() {
        CommDrv.Backend = &Device.Backend();
        CommDrv.PortNumber = Device.PortNumber();
        CommDrv.DCB = TDCB{};
        CommDrv.DCB.DCBlength = sizeof(TDCB);
        CommDrv.DCB.BaudRate = 115200;
        CommDrv.DCB.ByteSize = 8;
        CommDrv.DCB.Flags = 1;
        UseRing(4096);
    }
    // The port closes while the line's backend still exists.
    ~LineFixture() override {
        CommDrvClose(CommDrv);
        CommDrv.Backend = nullptr;
    }

    LineDevice Device;
};

}  // namespace zorv::test
