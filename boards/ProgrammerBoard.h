#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/SerialPort.h"

namespace korvel {

// The chip as the board must address it.
struct ChipAddressing {
    int addressBytes;  // 1: the 256-byte block rides in the device-select byte; 2: it does not
    int pageSize;      // bytes one write may take, within one page
    int chipAddress;   // the chip's pins A2-A0, bits 1 to 3 of the device-select byte
};

// How a transfer of whole blocks ended.
enum class BlockResult {
    Done,
    Stopped,      // the one who took the bytes asked to stop
    NoAnswer,     // the board did not answer, or never in a form that could be trusted
    NoChip,       // nothing on the bus acknowledged the chip
    WriteFailed,  // the chip did not take a page, or its write cycle never ended
};
struct BlockOutcome {
    BlockResult result = BlockResult::Done;
    std::int32_t address = 0;  // where it stopped: the first address of the block at fault
};

// Takes the bytes of a block read at `address`; returns false to stop the transfer.
using BlockSink =
    std::function<bool(std::int32_t address, const std::uint8_t* bytes, std::int32_t count)>;
// Told how many bytes from the start are written and confirmed; returns false to stop.
using WriteProgress = std::function<bool(std::int32_t done)>;

// A programmer board on a serial line, as the programmer's operations use it: the question that
// detection asks, and the chip's bytes, one address at a time or, where the board can, in
// whole blocks. A board that speaks another protocol is another class of this kind, with a
// simulated board of its own in tools/ to be tested against. The board owns its line: nothing
// else reads or writes it.
class ProgrammerBoard {
  public:
    ProgrammerBoard() = default;
    ProgrammerBoard(const ProgrammerBoard&) = delete;
    ProgrammerBoard& operator=(const ProgrammerBoard&) = delete;
    virtual ~ProgrammerBoard() = default;

    // Opens the device and sets the line up as the board needs it; false with the reason in
    // Problem(). A line that could not be set up stays open until Disconnect.
    virtual bool Connect(const std::string& device) = 0;
    virtual void Disconnect() { port_.Close(); }
    bool Connected() const { return port_.IsOpen(); }
    const std::string& Problem() const { return port_.LastError(); }
    // A note on how the line was opened (a claim taken over), or empty.
    const std::string& Notice() const { return port_.Notice(); }

    // Asks the board what it is: true with its whole answer, false when it gave less.
    virtual bool AskVersion(std::string& answer) = 0;

    // Starts work on a chip: whatever the board was told before, it is told afresh.
    virtual void BeginChipWork(const ChipAddressing& chip) = 0;
    // Ends it, after the last byte or at an error; false when the board reports only now that
    // a write it had confirmed did not go through after all.
    virtual bool FinishChipWork() { return true; }

    // The byte at an address, or nothing when the board did not answer.
    virtual std::optional<std::uint8_t> ReadByte(std::int32_t address) = 0;
    // Writes a byte; the board's answer (the byte when it was written), or nothing.
    virtual std::optional<std::uint8_t> WriteByte(std::int32_t address, std::uint8_t data) = 0;

    // Whether ReadBlocks and WritePages serve the chip work started last; if not, it goes a byte
    // at a time.
    virtual bool MovesBlocks() const { return false; }
    // Reads `count` bytes from `start` in address order, block by block.
    virtual BlockOutcome ReadBlocks(std::int32_t start, std::int32_t count, const BlockSink& take);
    // Writes `count` bytes from `start`, page by page.
    virtual BlockOutcome WritePages(std::int32_t start, std::int32_t count,
                                    const std::uint8_t* bytes, const WriteProgress& progress);

  protected:
    SerialPort port_;
};

}  // namespace korvel
