#include "boards/ProgrammerBoard.h"

namespace korvel {

void ProgrammerBoard::SendByte(char byte) {
    const auto value = static_cast<std::uint8_t>(byte);
    port.Write(&value, 1);
}

void ProgrammerBoard::SendCommand(const std::uint8_t* bytes, std::size_t count) {
    port.Write(bytes, count);
}

int ProgrammerBoard::ReceiveByte() {
    std::uint8_t byte = 0;
    if (port.Read(&byte, 1) != 1) {
        return 0;
    }
    reply = static_cast<char>(byte);
    return 1;
}

}  // namespace korvel
