#include "programmer/ChipTypes.h"

#include <strings.h>

namespace korvel {

// clang-format off
// A 24C04 takes address bit 8 where a 24C02 has A0, a 24C08 bits 8 and 9 in A0 and A1, a 24C16
// bits 8 to 10; the 24C00 has no pins to select it.
const ChipType kChipTypes[kChipTypeCount] = {
    {"24C00",     16, 1,  1, 0b000},
    {"24C01",    128, 1,  8, 0b111},
    {"24C02",    256, 1,  8, 0b111},
    {"24C04",    512, 1, 16, 0b110},
    {"24C08",   1024, 1, 16, 0b100},
    {"24C16",   2048, 1, 16, 0b000},
    {"24C32",   4096, 2, 32, 0b111},
    {"24C64",   8192, 2, 32, 0b111},
    {"24C128", 16384, 2, 64, 0b111},
    {"24C256", 32768, 2, 64, 0b111},
};
// clang-format on
static_assert(kLargestImage == 32768, "the largest image is the 24C256's");

bool TakesChipAddress(const ChipType& type, int pins) {
    return pins >= 0 && pins <= 7 && (pins & ~type.addressPins) == 0;
}

int FindChipType(const char* name) {
    for (int row = 0; row < kChipTypeCount; ++row) {
        if (strcasecmp(kChipTypes[row].name, name) == 0) {
            return row;
        }
    }
    return -1;
}

}  // namespace korvel
