#pragma once
// A serial backend without a port or a thread, for the buffered port or the
// driver state to be handed. Opens succeed unless the port was marked missing; every written
// block is kept; Receive() hands bytes to the driver as its reader would.
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "serial/CommBackend.h"

namespace zorv::test {

class FakeCommBackend : public ICommBackend {
public:
    FakeCommBackend();
    ~FakeCommBackend() override;
    FakeCommBackend(const FakeCommBackend&) = delete;
    FakeCommBackend& operator=(const FakeCommBackend&) = delete;

    TPortResult Open(TCommDrv& Drv) override;
    TPortResult StartReader(TCommDrv& Drv) override;
    void StopReader(TCommDrv& Drv) override;
    void WakeReader(TCommDrv& Drv) override;
    void Close(TCommDrv& Drv) override;
    uint32_t Write(TCommHandle Handle, const uint8_t* Bytes, uint32_t Count) override;
    bool Lost(TCommHandle) override { return PortLost; }

    // Opens of a missing port fail as the system reports a device that is not there.
    void SetPortMissing(int32_t Port, bool Missing = true);

    // Stores bytes in CommDrv's ring as the reader would; returns the count stored
    // (less than asked when the ring is full).
    uint32_t Receive(const std::string& Bytes);

    // The written text split at CR LF; a trailing piece without CR LF is the last element.
    std::vector<std::string> WrittenLines() const;
    std::string WrittenText() const;

    bool IsOpen() const { return OpenPort >= 0; }

    std::vector<std::string> Written;       // every block, in order
    std::vector<int32_t> Opened;            // port numbers of the successful opens
    std::vector<TDCB> OpenedSettings;       // the line settings of each successful open
    int CloseCount = 0;
    int32_t OpenPort = -1;                  // -1 while closed
    bool PortLost = false;                  // the open port's device has gone
    // Called after each write with the block, e.g. to answer as the device would.
    std::function<void(const std::string& Block)> OnWritten;

private:
    std::set<int32_t> FMissing;
};

}  // namespace zorv::test
