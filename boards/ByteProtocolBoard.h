#pragma once

#include <cstddef>
#include <initializer_list>

#include "boards/ProgrammerBoard.h"

namespace korvel {

// A board of Korvel's original design: 9600 baud, 8N1, five one-byte commands with their
// arguments; 'F' answers three bytes of version text, 'R' and 'W' one byte each. The host tracks
// the 256-byte block of a chip with one address byte and sends a select command when it changes.
class ByteProtocolBoard : public ProgrammerBoard {
  public:
    bool Connect(const std::string& device) override;
    bool AskVersion(std::string& answer) override;
    void BeginChipWork(const ChipAddressing& chip) override;
    std::optional<std::uint8_t> ReadByte(std::int32_t address) override;
    std::optional<std::uint8_t> WriteByte(std::int32_t address, std::uint8_t data) override;

    // One byte to the board, alone; a failed send shows only as a missing answer.
    void SendByte(std::uint8_t byte);
    // One byte from the board within the line's time limits: true with it in `byte`.
    bool ReceiveByte(std::uint8_t& byte);

  private:
    // A command and its arguments, written at once: a host that goes away mid-command must not
    // leave the board waiting for arguments that the next host's command would fill.
    void Send(std::initializer_list<std::uint8_t> command);
    void SendAddressed(std::uint8_t command, std::int32_t address, const std::uint8_t* data);
    std::uint8_t SelectByte(int block) const;
    void SelectBlockOf(std::int32_t address);
    std::optional<std::uint8_t> WaitReply();

    ChipAddressing chip_{1, 1, 0};
    int block_ = 0;
};

}  // namespace korvel
