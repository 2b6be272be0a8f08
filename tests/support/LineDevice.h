#pragma once
// The device at the far end of a COM port, as the driver's contract tests play
// it: on Linux the master of a pseudo-terminal, under Wine a relay on the Linux
// side that holds the master. Each object is a fresh line on port PortNumber().
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "serial/CommBackend.h"

namespace zorv::test {

class LineDevice {
public:
    LineDevice();
    ~LineDevice();
    LineDevice(const LineDevice&) = delete;
    LineDevice& operator=(const LineDevice&) = delete;

    int32_t PortNumber() const;
    // The platform's serial backend, set up to reach this line.
    ICommBackend& Backend();
    // Writes all of Bytes to the line; false when the device side refused them.
    bool Send(const std::string& Bytes);
    // What the driver wrote, waiting up to TimeoutMs for Count bytes.
    std::string ReadSent(size_t Count, int TimeoutMs = 5000);
    // The device side closes its end, as an unplugged device does.
    void HangUp();

private:
    struct TLine;
    std::unique_ptr<TLine> FLine;
};

// Polls Pred every millisecond for at most TimeoutMs; true once it held.
inline bool WaitFor(const std::function<bool()>& Pred, int TimeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (!Pred()) {
        if (std::chrono::steady_clock::now() >= deadline) return Pred();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// CPU time of a thread of this process so far, in microseconds.
int64_t ThreadCpuMicros(TCommHandle ThreadHandle);

}  // namespace zorv::test
