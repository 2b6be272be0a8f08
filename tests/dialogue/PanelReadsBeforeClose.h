#pragma once
// The platform's serial backend, except that closing the port first waits
// (bounded) until the emulated panel has read every line written to it.
//
// The POSIX backend's close discards output that the other end has not read
// yet (tcflush with TCIOFLUSH), so the "reset" that the dialogue writes just
// before it closes the port is sometimes lost on a pseudo-terminal, and the
// panel never restarts. On the platform the driver was designed for, a
// completed write has left the computer before the purge. These tests are
// about the dialogue, so they give the panel the time to read.
#include <chrono>
#include <cstddef>

#include "PanelRecord.h"
#include "serial/CommBackend.h"

namespace zorv::test {

class PanelReadsBeforeClose : public ICommBackend {
public:
    explicit PanelReadsBeforeClose(const emu::PanelRecord& Record)
        : FRecord(Record), FPlatform(PlatformCommBackend()) {
        SetCommBackend(this);
    }
    ~PanelReadsBeforeClose() override { SetCommBackend(nullptr); }
    PanelReadsBeforeClose(const PanelReadsBeforeClose&) = delete;
    PanelReadsBeforeClose& operator=(const PanelReadsBeforeClose&) = delete;

    bool Open(TCommDrv& Drv) override { return FPlatform.Open(Drv); }
    bool StartReader(TCommDrv& Drv) override { return FPlatform.StartReader(Drv); }
    void StopReader(TCommDrv& Drv) override { FPlatform.StopReader(Drv); }
    void WakeReader(TCommDrv& Drv) override { FPlatform.WakeReader(Drv); }
    void Close(TCommDrv& Drv) override {
        FRecord.WaitForReceived(FLinesWritten, std::chrono::milliseconds(2000));
        FPlatform.Close(Drv);
    }
    uint32_t Write(TCommHandle Handle, const uint8_t* Bytes, uint32_t Count) override {
        const uint32_t written = FPlatform.Write(Handle, Bytes, Count);
        // Every block of the dialogue is one line ended by CR LF.
        for (uint32_t i = 0; i < written; ++i)
            if (Bytes[i] == '\n') ++FLinesWritten;
        return written;
    }

private:
    const emu::PanelRecord& FRecord;
    ICommBackend& FPlatform;
    size_t FLinesWritten = 0;
};

}  // namespace zorv::test
