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
    int addressPins;    // the pins A2-A0 that select the chip on its bus, as bits 2-0; the
                        // others carry address bits or are not there
};

constexpr int kChipTypeCount = 10;
// The catalogue, in the order of the window's device list.
extern const ChipType kChipTypes[kChipTypeCount];

// Catalogue row of a type name (any letter case), or -1 when no type has it.
int FindChipType(const char* name);

// Whether a chip of the type can be wired to answer at chip address `pins` (A2-A0, 0 to 7).
bool TakesChipAddress(const ChipType& type, int pins);

// The image: byte a holds chip address a, for the largest chip and one byte more.
constexpr std::size_t kImageBufferSize = kLargestImage + 1;
using ImageBuffer = std::array<std::uint8_t, kImageBufferSize>;

}  // namespace korvel
