#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/SerialPort.h"

namespace korvel {

// The chip as the board must address it.
struct ChipAddressing {
    int addressBytes;  // 1: the 256-byte block rides in the device-select byte; 2: it does not
};

// A programmer board on a serial line, as the programmer's operations use it: the question that
// detection asks, and the chip's bytes one address at a time. A board that speaks another
// protocol is another class of this kind, with a simulated board of its own in tools/ to be
// tested against. The board owns its line: nothing else reads or writes it.
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
    // The byte at an address, or nothing when the board did not answer.
    virtual std::optional<std::uint8_t> ReadByte(std::int32_t address) = 0;
    // Writes a byte; the board's answer (the byte when it was written), or nothing.
    virtual std::optional<std::uint8_t> WriteByte(std::int32_t address, std::uint8_t data) = 0;

  protected:
    SerialPort port_;
};

}  // namespace korvel
