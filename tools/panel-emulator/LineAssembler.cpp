#include "LineAssembler.h"

namespace zorv::emu {

LineAssembler::LineAssembler(std::size_t maxLineLength) : FMaxLineLength(maxLineLength) {}

std::vector<AssembledLine> LineAssembler::Feed(std::string_view bytes) {
    std::vector<AssembledLine> lines;
    for (char c : bytes) {
        const bool lfOfPair = c == '\n' && FAfterCr;
        FAfterCr = c == '\r';
        if (lfOfPair) continue;
        if (c == '\r' || c == '\n') {
            lines.push_back({std::move(FPending), FOverlong});
            FPending.clear();
            FOverlong = false;
        } else if (FPending.size() < FMaxLineLength) {
            FPending.push_back(c);
        } else {
            FOverlong = true;
        }
    }
    return lines;
}

void LineAssembler::Clear() {
    FPending.clear();
    FOverlong = false;
    FAfterCr = false;
}

}  // namespace zorv::emu
