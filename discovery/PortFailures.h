#pragma once
// What the program has told of panel ports it could not open. A failure is
// told only once it has lasted kPortFailureSettleMs: udev gives a new node its
// group a moment after the node appears, and until then even a user who may
// use the port is refused. Each port and reason is told once per run.
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "discovery/SerialPort.h"
#include "foundation/LocalTime.h"
#include "serial/PortResult.h"

namespace zorv {

constexpr int64_t kPortFailureSettleMs = 2000;

class TPortFailures {
public:
    // Whether this failure, seen Now, is to be told now.
    bool Settled(int32_t PortNumber, const TPortResult& Result, const TLocalDateTime& Now);
    // The port opened: its next failure waits afresh.
    void Forget(int32_t PortNumber);
    // Ports no longer listed were unplugged: their next failure waits afresh.
    void ForgetUnlisted(const std::vector<std::unique_ptr<TSerialPort>>& Ports);
    // True the first time it is asked for an outcome in a run.
    bool FirstOfItsKind(TPortOutcome Outcome);

private:
    struct TPending {
        uint32_t Code = 0;
        std::string Path;
        TLocalDateTime Since;
    };
    std::map<int32_t, TPending> FPending;
    std::set<std::tuple<int32_t, uint32_t, std::string>> FTold;
    std::set<TPortOutcome> FKindsTold;
};

}  // namespace zorv
