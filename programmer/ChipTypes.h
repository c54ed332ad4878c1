#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "image/ImageFormat.h"

namespace korvel {

// One supported EEPROM type: a row of the catalogue.
struct ChipType {
    const char* name;
    std::int32_t size;  // bytes
    int addressBytes;   // sent with each read or write: 1 (the block rides in the select byte) or 2
    int pageSize;       // bytes one write cycle takes, within one page
};

constexpr int kChipTypeCount = 10;
// The catalogue, in the order of the window's device list.
extern const ChipType kChipTypes[kChipTypeCount];

// Catalogue row of a type name (any letter case), or -1 when no type has it.
int FindChipType(const char* name);

// The image: byte a holds chip address a, for the largest chip and one byte more.
constexpr std::size_t kImageBufferSize = kLargestImage + 1;
using ImageBuffer = std::array<std::uint8_t, kImageBufferSize>;

}  // namespace korvel
