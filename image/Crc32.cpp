#include "image/Crc32.h"

#include "image/HexText.h"

namespace korvel {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    // The IEEE polynomial 0x04C11DB7 with its bits reversed, as the reflected CRC shifts right.
    constexpr std::uint32_t kPolynomial = 0xEDB88320u;
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (kPolynomial & (0u - (crc & 1u)));
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

std::string Crc32Hex(const std::uint8_t* data, std::size_t size) {
    const std::uint32_t crc = Crc32(data, size);
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(crc >> 24), static_cast<std::uint8_t>(crc >> 16),
        static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)};
    return HexDigits(bytes, sizeof bytes, HexCase::Lower);
}

}  // namespace korvel
