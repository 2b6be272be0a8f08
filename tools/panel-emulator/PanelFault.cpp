#include "PanelFault.h"

#include <algorithm>

namespace zorv::emu {

const char kUnaskedLine[] = "EVENT: ZONE 3 OPEN";

namespace {

std::string Repeated(const std::string& pattern, std::size_t size) {
    std::string bytes;
    if (pattern.empty()) return bytes;
    bytes.reserve(size);
    bytes.assign(pattern, 0, size);
    // Doubling: a megabyte of a one-byte pattern in twenty appends rather than a million.
    while (bytes.size() < size) bytes.append(bytes, 0, std::min(bytes.size(), size - bytes.size()));
    return bytes;
}

}  // namespace

FaultyAnswers::FaultyAnswers(std::size_t garbageBytes, unsigned garbageSeed, std::size_t floodBytes,
                             std::string floodPattern)
    : FGarbageBytes(garbageBytes), FRandom(garbageSeed), FFlood(Repeated(floodPattern, floodBytes)) {}

std::string FaultyAnswers::Answer(PanelFault fault) {
    switch (fault) {
        case PanelFault::Garbage: {
            std::uniform_int_distribution<int> byte(0, 255);
            std::string bytes(FGarbageBytes, '\0');
            for (char& c : bytes) c = static_cast<char>(byte(FRandom));
            return bytes;
        }
        case PanelFault::Flood: return FFlood;
        case PanelFault::None:
        case PanelFault::ValueError:
        case PanelFault::Mute:
        case PanelFault::NotReading:
        case PanelFault::Unasked: return std::string();
    }
    return std::string();
}

bool FaultyAnswers::PutUnaskedLine() { return std::bernoulli_distribution(0.5)(FRandom); }

const char* FaultName(PanelFault fault) {
    switch (fault) {
        case PanelFault::None: return "none";
        case PanelFault::Garbage: return "garbage";
        case PanelFault::Flood: return "flood";
        case PanelFault::ValueError: return "value error";
        case PanelFault::Mute: return "mute";
        case PanelFault::NotReading: return "not reading";
        case PanelFault::Unasked: return "unasked line";
    }
    return "";
}

}  // namespace zorv::emu
