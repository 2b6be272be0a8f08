#pragma once
// Faults of a broken panel, cable or computer. While a fault is in force it
// replaces the panel's ordinary answers: the panel still records each command
// it reads, but carries none of them out (no setting, no restart). Only an
// unasked line leaves the answers as they are and puts a line before some.
#include <chrono>
#include <cstddef>
#include <random>
#include <string>

namespace zorv::emu {

enum class PanelFault {
    None,
    Garbage,     // random bytes, CR and LF included, instead of each answer
    Flood,       // a long run of one repeated pattern instead of each answer, with no line end of its own
    ValueError,  // "Value error" to every command, in the bootloader too
    Mute,        // no answer to anything
    NotReading,  // the panel stops reading its port: the program's writes fill it and stall
    Unasked,     // before about every other answer, an unasked status line, and the answer a while later
};

// The unasked line: no reply of the command language, and no answer to anything the program asks.
extern const char kUnaskedLine[];
// How long the answer comes after an unasked line: longer than the program takes to read that line.
constexpr std::chrono::milliseconds kUnaskedLead{30};

// The raw bytes of the garbage and flood faults; empty for the others (a value
// error is an ordinary reply line, and the rest answer nothing).
class FaultyAnswers {
public:
    FaultyAnswers(std::size_t garbageBytes, unsigned garbageSeed, std::size_t floodBytes, std::string floodPattern);

    std::string Answer(PanelFault fault);
    // Whether this answer of the unasked-line fault gets the unasked line first.
    bool PutUnaskedLine();

private:
    std::size_t FGarbageBytes;
    std::mt19937 FRandom;
    std::string FFlood;
};

// The fault's name for the record ("garbage", "not reading"...).
const char* FaultName(PanelFault fault);

}  // namespace zorv::emu
