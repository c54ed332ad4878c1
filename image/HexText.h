#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// Image files are written in upper-case hex; checksums are shown in lower case.
enum class HexCase { Upper, Lower };

// Two hex digits for each byte, most significant first.
std::string HexDigits(const std::uint8_t* bytes, std::size_t size, HexCase letters);

// Reads text[from] onwards as pairs of hex digits (either case) into `bytes`. False, with
// `problem` "bad hex digit" or "odd number of hex digits", when it is not.
bool ParseHexPairs(const std::string& text, std::size_t from, std::vector<std::uint8_t>& bytes,
                   std::string& problem);

}  // namespace korvel
