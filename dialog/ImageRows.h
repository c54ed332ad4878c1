#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "programmer/Programmer.h"

namespace korvel {

// The image view shows 16 bytes a row.
constexpr int kRowBytes = 16;

// One row of the image view: the address of its first byte, its bytes in hex and as text, and
// the chip's bytes where the chip was found to differ.
struct ImageRow {
    std::string address;  // four hex digits, "01F0"
    std::string hex;      // "00 01 02 03 04 05 06 07  08 09 0A 0B 0C 0D 0E 0F"
    std::string text;     // printable ASCII as it is, any other byte as '.'
    // The chip's byte under the hex column of each byte that differs, blanks elsewhere and no
    // blanks after the last; empty in a row without a known difference.
    std::string chip;
};

// Where byte `index` (0 to 15) of a row starts in its hex text and in its chip text: two digits
// and a blank a byte, and one more blank between the two halves.
int HexColumn(int index);

// The row of the image that starts at `address`, with the differences (ascending by address)
// that fall into it.
ImageRow ImageRowAt(const std::uint8_t* image, int address,
                    const std::vector<Difference>& differences);

// The differences from the first at or after `address` on, in a list ascending by address.
std::vector<Difference>::const_iterator DifferenceFrom(const std::vector<Difference>& differences,
                                                       int address);

}  // namespace korvel
