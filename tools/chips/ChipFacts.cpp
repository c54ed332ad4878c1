#include "tools/chips/ChipFacts.h"

#include <strings.h>

namespace korvel::sim {

namespace {

// A 24C04 answers at device addresses 0xA0 and 0xA2 (bit 1 is address bit 8), a 24C08 at 0xA0
// to 0xA6, a 24C16 at 0xA0 to 0xAE. From the 24C32 on the address within the chip is two
// bytes, high byte first, and the device address is 0xA0 with A0 to A2 tied to ground. Pages:
// 8 bytes on the 24C01 and 24C02, 16 up to the 24C16, 32 on the 24C32 and 24C64, 64 above; the
// 24C00 writes one byte at a time.
constexpr ChipFacts kChips[] = {
    {"24C00", 16, 1, false, 1},      {"24C01", 128, 1, false, 8},   {"24C02", 256, 1, false, 8},
    {"24C04", 512, 1, true, 16},     {"24C08", 1024, 1, true, 16},  {"24C16", 2048, 1, true, 16},
    {"24C32", 4096, 2, false, 32},   {"24C64", 8192, 2, false, 32}, {"24C128", 16384, 2, false, 64},
    {"24C256", 32768, 2, false, 64},
};

}  // namespace

const ChipFacts* FindChip(const std::string& name) {
    for (const ChipFacts& chip : kChips) {
        if (strcasecmp(chip.name, name.c_str()) == 0) {
            return &chip;
        }
    }
    return nullptr;
}

}  // namespace korvel::sim
