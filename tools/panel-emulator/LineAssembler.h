#pragma once
// Cuts the byte stream from the program into command lines. A line ends at CR,
// at LF, or at the pair CR LF, which counts as one end. A line longer than the
// limit keeps only its first bytes and is marked overlong, so a peer that never
// sends a line end cannot make the assembler grow without bound.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zorv::emu {

struct AssembledLine {
    std::string Text;
    bool Overlong = false;
};

class LineAssembler {
public:
    explicit LineAssembler(std::size_t maxLineLength);

    std::vector<AssembledLine> Feed(std::string_view bytes);
    // Forgets a half-received line (the panel restarted).
    void Clear();
    std::size_t PendingBytes() const { return FPending.size(); }

private:
    std::size_t FMaxLineLength;
    std::string FPending;
    bool FOverlong = false;
    bool FAfterCr = false;
};

}  // namespace zorv::emu
