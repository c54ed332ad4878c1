#include "programmer/ChipTypes.h"

#include <strings.h>

namespace korvel {

// clang-format off
const ChipType kChipTypes[kChipTypeCount] = {
    {"24C00",     16, 1,  1},
    {"24C01",    128, 1,  8},
    {"24C02",    256, 1,  8},
    {"24C04",    512, 1, 16},
    {"24C08",   1024, 1, 16},
    {"24C16",   2048, 1, 16},
    {"24C32",   4096, 2, 32},
    {"24C64",   8192, 2, 32},
    {"24C128", 16384, 2, 64},
    {"24C256", 32768, 2, 64},
};
// clang-format on
static_assert(kLargestImage == 32768, "the largest image is the 24C256's");

int FindChipType(const char* name) {
    for (int row = 0; row < kChipTypeCount; ++row) {
        if (strcasecmp(kChipTypes[row].name, name) == 0) {
            return row;
        }
    }
    return -1;
}

}  // namespace korvel
