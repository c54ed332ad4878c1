#pragma once

#include <cstdint>
#include <vector>

namespace korvel {

// A fast-link frame: the command byte, its arguments, and the CRC of both, low byte first.
std::vector<std::uint8_t> Frame(std::vector<std::uint8_t> commandAndArguments);

// Whether `bytes` are a whole frame of `command` with a right CRC.
bool IsFrame(const std::vector<std::uint8_t>& bytes, std::uint8_t command);

// A number's two bytes, low first, and back.
inline std::uint8_t Low(std::int32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
inline std::uint8_t High(std::int32_t value) {
    return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}
inline std::int32_t Word(const std::uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8;
}

}  // namespace korvel
