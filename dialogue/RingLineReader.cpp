#include "dialogue/RingLineReader.h"

#include "serial/ComPortUS.h"

namespace zorv {
namespace {

constexpr uint8_t kCR = 13;
constexpr uint8_t kLF = 10;

// No reply of the panel comes near this length; anything longer is noise and is dropped whole.
constexpr size_t kMaxLineLength = 65536;

// Moves the read position and lowers the unread count while the reader knows the consumer is busy.
void TakeFromRing(TComPortUS& port, uint32_t count, uint32_t newStart) {
    port.SetInpBufRead(true);
    port.SetStartInInpBuf(newStart);
    if (count > 0) port.TakeReceivedBytes(count);
    port.SetInpBufRead(false);
}

}  // namespace

TRingLineReader::TRingLineReader(std::vector<uint8_t>& LineBuffer, int32_t& LineLength)
    : FLineBuffer(LineBuffer), FLineLength(LineLength) {}

bool TRingLineReader::NextLine(TComPortUS& Port, std::vector<uint8_t>& Line) {
    const uint8_t* ring = Port.InpBuf();
    const uint32_t size = Port.InpBufSize();
    uint32_t i = Port.StartInInpBuf();
    uint32_t count = 0;
    while (ring && size > 0) {
        if (i >= size) {
            // The scan wraps: the bytes before the end are held as the start of a line. A read
            // position left at the very end (after a line that ended there) means index 0.
            if (count > 0) Hold(ring + Port.StartInInpBuf(), count);
            TakeFromRing(Port, count, 0);
            i = 0;
            count = 0;
        }
        const uint32_t unread = Port.ReceivedBytes();
        if (unread == 0 || count >= unread) return false;
        const uint8_t byte = ring[i];
        ++count;
        ++i;
        if (byte != kCR) continue;

        const uint32_t start = Port.StartInInpBuf();
        Hold(ring + start, count);
        TakeFromRing(Port, count, start + count);
        // A line being dropped holds nothing, so it comes out empty.
        Line.assign(FLineBuffer.begin(), FLineBuffer.end());
        Clear();
        return true;
    }
    return false;
}

void TRingLineReader::Clear() {
    FLineBuffer.clear();
    FLineLength = 0;
    FDiscardingLine = false;
}

void TRingLineReader::Hold(const uint8_t* Bytes, uint32_t Count) {
    if (FDiscardingLine) return;
    // Bytes2String strips LF and blanks at a line's head; not holding them keeps a flood
    // of them from growing the line.
    while (FLineBuffer.empty() && Count > 0 && (*Bytes == kLF || *Bytes == ' ')) {
        ++Bytes;
        --Count;
    }
    if (FLineBuffer.size() + Count > kMaxLineLength) {
        FLineBuffer.clear();
        FLineLength = 0;
        FDiscardingLine = true;
        return;
    }
    FLineBuffer.insert(FLineBuffer.end(), Bytes, Bytes + Count);
    FLineLength = static_cast<int32_t>(FLineBuffer.size());
}

}  // namespace zorv
