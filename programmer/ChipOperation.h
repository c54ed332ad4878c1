#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "boards/ProgrammerBoard.h"
#include "programmer/ChipTypes.h"

namespace korvel {

enum class ChipOperation { Read, Verify, BlankCheck, Erase, Write };

enum class ChipResult {
    Done,
    TransmissionError,  // the board did not answer
    Differs,            // Verify: the chip's byte is not the image's
    NotBlank,           // Blank check: the chip's byte is not 0xFF
    WriteFailed,        // Erase, Write: the chip did not take a byte or page at the address
    NoChip,             // nothing on the chip's bus answered (a board that can tell)
    Stopped,            // the user asked it to stop: the address is the first one not done
};

// How a chip operation ended. Anything but Done names the address it stopped at; Differs,
// NotBlank and WriteFailed also the byte the board answered, and Differs the image's byte there.
struct ChipOutcome {
    ChipOperation operation;
    ChipResult result = ChipResult::Done;
    std::int32_t address = 0;
    std::uint8_t chipByte = 0;
    std::uint8_t imageByte = 0;

    bool Succeeded() const { return result == ChipResult::Done; }
};

// Told after each address: how many of the operation's addresses are done, of how many.
using Progress = std::function<void(std::int32_t done, std::int32_t total)>;

// The addresses an operation covers.
struct ChipRange {
    std::int32_t start;
    std::int32_t length;
};

// What an operation works on: the chip's type, the chip address its pins A2-A0 give it, and
// the addresses.
struct ChipWork {
    const ChipType& type;
    int chipAddress;
    ChipRange range;
};

// Runs an operation over the work's addresses, address by address or, on a board that moves
// blocks, block by block, and stops at the first error, or after the address or block during
// which `stop` became true. Read stores what it gets into the image as it goes; the others
// leave the image as it is.
ChipOutcome RunChipOperation(ProgrammerBoard& board, const ChipWork& work, ChipOperation operation,
                             ImageBuffer& image, const Progress& progress, const bool& stop);

// How a write of the changed bytes went: the write's outcome, the bytes given to the chip, and
// on a board that moves blocks the pages they filled (0 when it went byte by byte).
struct ChangedWrite {
    ChipOutcome outcome;
    std::int32_t written;
    std::int32_t pages;
};

// Writes the image's bytes at `addresses` (ascending, within the work's range) into the chip:
// only those bytes, or on a board that moves blocks the pages that hold them, in runs of
// neighbouring pages, within the range.
ChangedWrite WriteAddresses(ProgrammerBoard& board, const ChipWork& work,
                            const std::vector<std::int32_t>& addresses, ImageBuffer& image,
                            const Progress& progress, const bool& stop);

// A read that goes on where no chip answers, and says where that was.
struct AnsweredRead {
    ChipOutcome outcome;         // NoChip only when no run at all answered
    std::vector<bool> answered;  // for each run, whether a chip answered; empty on a board that
                                 // cannot tell (the five commands read 0xFF there)
};

// Reads the work's range into the image in runs of `runLength` addresses; a run where no chip
// answers reads as 0xFF.
AnsweredRead ReadNotingSilence(ProgrammerBoard& board, const ChipWork& work, std::int32_t runLength,
                               ImageBuffer& image, const Progress& progress, const bool& stop);

// Whether the operation leaves the chip or the image changed, so that the image no longer
// stands for a file: Read, Erase and Write, whatever their outcome.
bool UntiesImage(ChipOperation operation);

}  // namespace korvel
