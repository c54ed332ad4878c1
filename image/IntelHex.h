#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// Intel HEX, as AVR compilers write EEPROM images (.eep). Written as data records of 16 bytes
// and the end record. Read: data and end records; extended segment and linear address records,
// whose address counts; start address records, ignored.
bool DecodeIntelHex(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& image,
                    std::string& error);
std::vector<std::uint8_t> EncodeIntelHex(const std::uint8_t* image, std::size_t size);

}  // namespace korvel
