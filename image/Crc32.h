#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvel {

// The CRC-32 of zlib, gzip and PNG (IEEE polynomial, reflected, starting from and finishing
// with 0xFFFFFFFF), so that a chip can be compared with the sum of a known dump.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);

// The CRC-32 as eight lower-case hex digits, e.g. "cbf43926".
std::string Crc32Hex(const std::uint8_t* data, std::size_t size);

}  // namespace korvel
