#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace korvel {

// The SHA-256 digest of FIPS 180-4.
std::array<std::uint8_t, 32> Sha256(const std::uint8_t* data, std::size_t size);

// The digest as 64 lower-case hex digits, as sha256sum prints it.
std::string Sha256Hex(const std::uint8_t* data, std::size_t size);

}  // namespace korvel
