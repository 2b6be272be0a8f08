#include "discovery/TtyPortNumbers.h"

#include "discovery/PortNumberText.h"

namespace zorv {
namespace {

struct TNamedRange {
    const char* Prefix;
    int32_t First;  // COM number of index 0
};

constexpr TNamedRange kRanges[] = {{"ttyS", 1}, {"ttyUSB", 101}, {"ttyACM", 201}};
constexpr int32_t kRangeSize = 100;

// Index k of "<prefix><k>", written without leading zeros, below the range size; otherwise -1.
int32_t IndexAfter(const std::string& name, const std::string& prefix) {
    if (name.compare(0, prefix.size(), prefix) != 0) return -1;
    const std::string digits = name.substr(prefix.size());
    int32_t index = 0;
    if (!ReadPortNumber(digits, index) || (digits.size() > 1 && digits[0] == '0')) return -1;
    return index < kRangeSize ? index : -1;
}

}  // namespace

int32_t TTtyPortNumbers::NumberOf(const std::string& TtyName) {
    for (const TNamedRange& range : kRanges) {
        const int32_t index = IndexAfter(TtyName, range.Prefix);
        if (index >= 0) return range.First + index;
    }
    std::lock_guard<std::mutex> lock(FMutex);
    const auto it = FOthers.find(TtyName);
    if (it != FOthers.end()) return it->second;
    return FOthers[TtyName] = FNextOther++;
}

std::string TTtyPortNumbers::NameOf(int32_t PortNumber) const {
    for (const TNamedRange& range : kRanges) {
        if (PortNumber >= range.First && PortNumber < range.First + kRangeSize)
            return range.Prefix + std::to_string(PortNumber - range.First);
    }
    std::lock_guard<std::mutex> lock(FMutex);
    for (const auto& entry : FOthers) {
        if (entry.second == PortNumber) return entry.first;
    }
    return "";
}

}  // namespace zorv
