#include "discovery/PortFailures.h"

#include <algorithm>
#include <iterator>

namespace zorv {
namespace {

// Milliseconds from Since to Now; -1 across midnight or when the clock went back,
// which only makes the failure wait once more.
int64_t ElapsedMs(const TLocalDateTime& Since, const TLocalDateTime& Now) {
    if (Since.Year != Now.Year || Since.Month != Now.Month || Since.Day != Now.Day) return -1;
    const auto ms = [](const TLocalDateTime& t) {
        return ((t.Hour * 60LL + t.Minute) * 60 + t.Second) * 1000 + t.Millisecond;
    };
    return ms(Now) >= ms(Since) ? ms(Now) - ms(Since) : -1;
}

}  // namespace

bool TPortFailures::Settled(int32_t PortNumber, const TPortResult& Result, const TLocalDateTime& Now) {
    if (FTold.count({PortNumber, Result.Code, Result.Path}) != 0) return false;
    const auto it = FPending.find(PortNumber);
    if (it == FPending.end() || it->second.Code != Result.Code || it->second.Path != Result.Path) {
        FPending[PortNumber] = {Result.Code, Result.Path, Now};
        return false;
    }
    const int64_t lasted = ElapsedMs(it->second.Since, Now);
    if (lasted < 0) it->second.Since = Now;
    if (lasted < kPortFailureSettleMs) return false;
    FPending.erase(it);
    FTold.insert({PortNumber, Result.Code, Result.Path});
    return true;
}

void TPortFailures::Forget(int32_t PortNumber) { FPending.erase(PortNumber); }

void TPortFailures::ForgetUnlisted(const std::vector<std::unique_ptr<TSerialPort>>& Ports) {
    for (auto it = FPending.begin(); it != FPending.end();) {
        const int32_t number = it->first;
        const bool listed =
            std::any_of(Ports.begin(), Ports.end(), [&](const auto& port) { return port->PortNumber == number; });
        it = listed ? std::next(it) : FPending.erase(it);
    }
}

bool TPortFailures::FirstOfItsKind(TPortOutcome Outcome) { return FKindsTold.insert(Outcome).second; }

}  // namespace zorv
