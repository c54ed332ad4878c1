#include "boards/Frames.h"

#include "protocol/FastLink.h"

namespace korvel {

std::vector<std::uint8_t> Frame(std::vector<std::uint8_t> commandAndArguments) {
    const std::uint16_t crc =
        protocol::Crc16(commandAndArguments.data(), commandAndArguments.size());
    commandAndArguments.push_back(Low(crc));
    commandAndArguments.push_back(High(crc));
    return commandAndArguments;
}

bool IsFrame(const std::vector<std::uint8_t>& bytes, std::uint8_t command) {
    if (bytes.size() < 3 || bytes[0] != command) {
        return false;
    }
    const std::size_t body = bytes.size() - 2;
    return protocol::Crc16(bytes.data(), body) == Word(bytes.data() + body);
}

}  // namespace korvel
