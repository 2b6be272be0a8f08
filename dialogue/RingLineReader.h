#pragma once
// Reads the panel's reply lines out of the port's receive ring. It takes bytes
// as the ring's consumer must (see ComPortUS.h) and holds the part of a line
// whose CR has not come yet. It hands out one line per call and reads the
// port's counters afresh each time: what the caller does with a line may close
// the port, which empties the ring, or open it again.
#include <cstdint>
#include <vector>

namespace zorv {

class TComPortUS;

class TRingLineReader {
public:
    // The held line and its length live in the caller's fields, which stay readable there.
    TRingLineReader(std::vector<uint8_t>& LineBuffer, int32_t& LineLength);

    // Takes the bytes up to the next CR out of the ring and puts the line's bytes, CR included,
    // in Line; a line that ran past the longest line kept comes out empty. False when no CR is
    // in the ring: the bytes before it stay held for the next call.
    bool NextLine(TComPortUS& Port, std::vector<uint8_t>& Line);
    // Forgets the held piece of a line (a new connection).
    void Clear();

private:
    void Hold(const uint8_t* Bytes, uint32_t Count);

    std::vector<uint8_t>& FLineBuffer;
    int32_t& FLineLength;
    // The line being read ran past the longest line kept; it is dropped up to its CR.
    bool FDiscardingLine = false;
};

}  // namespace zorv
