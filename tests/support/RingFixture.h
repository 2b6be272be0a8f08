#pragma once
// Gives CommDrv a ring of the test's own and takes it back afterwards; the
// consumer's steps follow the ring contract.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/ComPortDrv.h"

namespace zorv::test {

class RingFixture : public ::testing::Test {
protected:
    RingFixture() { UseRing(64); }
    ~RingFixture() override {
        CommDrvClose(CommDrv);
        CommDrv.OnReceived = nullptr;
        CommDrv.InpBuf = nullptr;
        CommDrv.InpBufSize = 0;
        CommDrv.ReceivedBytes = 0;
        CommDrv.StartInInpBuf = 0;
        CommDrv.InpBufRead = false;
        CommDrv.Terminated = false;
        CommDrv.WritePos = 0;
    }

    void UseRing(uint32_t Size) {
        Ring.assign(Size, '.');
        CommDrv.InpBuf = Ring.data();
        CommDrv.InpBufSize = Size;
        CommDrv.ReceivedBytes = 0;
        CommDrv.StartInInpBuf = 0;
        CommDrv.WritePos = 0;
    }

    // The unread bytes, in order.
    std::string Unread() const {
        std::string bytes;
        const uint32_t size = CommDrv.InpBufSize;
        const uint32_t count = CommDrv.ReceivedBytes.load();
        for (uint32_t i = 0, at = CommDrv.StartInInpBuf.load() % size; i < count; ++i, at = (at + 1) % size)
            bytes += static_cast<char>(Ring[at]);
        return bytes;
    }

    // Takes Count unread bytes as the consumer does: moves the start, then lowers the count.
    void Take(uint32_t Count) {
        CommDrv.InpBufRead = true;
        CommDrv.StartInInpBuf = (CommDrv.StartInInpBuf.load() + Count) % CommDrv.InpBufSize;
        CommDrvTakeReceived(CommDrv, Count);
        CommDrv.InpBufRead = false;
    }

    std::string RingText(size_t From, size_t Count) const {
        return std::string(reinterpret_cast<const char*>(Ring.data()) + From, Count);
    }

    std::vector<uint8_t> Ring;
};

}  // namespace zorv::test
