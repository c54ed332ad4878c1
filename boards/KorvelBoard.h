#pragma once

#include "boards/ProgrammerBoard.h"

namespace korvel {

// Korvel's own programmer board: 9600 baud, 8N1; 'F' answers three bytes of version text, 'T'
// takes the addressing mode, 'C' the device-select byte, 'R' an address (low byte first) and
// answers the byte there, 'W' an address and a byte and answers the byte when it was written.
class KorvelBoard final : public ProgrammerBoard {
  public:
    bool Open(const std::string& device) override;
    bool AskVersion(std::string& answer) override;
    void SendModeCommand(std::uint8_t addressMode) override;
    void SendSelectCommand(int block) override;
    void SendAddressedCommand(char command, std::int32_t address, bool twoAddressBytes,
                              std::optional<std::uint8_t> data) override;
    bool WaitReply() override;
};

}  // namespace korvel
