#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/SerialPort.h"

namespace korvel {

// A programmer board on a serial line, as the dialog's operations use it: the question that
// detection asks, and the commands of the device operations with the one-byte answer that each
// read or write waits for. A board that speaks another protocol is another class of this kind,
// with a simulated board of its own in tools/ to be tested against.
class ProgrammerBoard {
  public:
    ProgrammerBoard() = default;
    ProgrammerBoard(const ProgrammerBoard&) = delete;
    ProgrammerBoard& operator=(const ProgrammerBoard&) = delete;
    virtual ~ProgrammerBoard() = default;

    // Opens the device and sets the line up as the board needs it; false with the reason in
    // port.LastError(). A line that could not be set up stays open until Close.
    virtual bool Open(const std::string& device) = 0;
    void Close() { port.Close(); }

    // Asks the board what it is: true with its whole answer, false when it gave less.
    virtual bool AskVersion(std::string& answer) = 0;

    // The commands of a device operation: the addressing mode of the chip, the 256-byte block
    // chips with one address byte work in, and a read ('R') or write ('W', with its `data`) of
    // one address.
    virtual void SendModeCommand(std::uint8_t addressMode) = 0;
    virtual void SendSelectCommand(int block) = 0;
    virtual void SendAddressedCommand(char command, std::int32_t address, bool twoAddressBytes,
                                      std::optional<std::uint8_t> data) = 0;
    // Waits for the one-byte answer to a read or write command; false when none came.
    virtual bool WaitReply() = 0;

    // One byte to the board; a failed send shows only as a missing answer.
    void SendByte(char byte);
    // A command with its argument bytes, in one write: they leave back to back, and a program
    // that is ended in the middle of a command cannot leave the board waiting for the rest,
    // which it would take from the next program's first command.
    void SendCommand(const std::uint8_t* bytes, std::size_t count);
    // One byte from the board: 1 with it in `reply`, or 0 with `reply` as it was.
    int ReceiveByte();

    SerialPort port;
    char reply = 0;  // the byte last received from the board
};

}  // namespace korvel
