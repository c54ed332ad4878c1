#pragma once

#include <cstdint>
#include <string>

namespace korvel::sim {

// What a 24Cxx chip is, from its datasheet: the simulators' own table, kept apart from the
// host's device catalogue so that a misreading in one of them shows against the other.
struct ChipFacts {
    const char* name;
    std::uint32_t size;             // bytes
    int addressBytes;               // bytes of address sent after the device address: 1 or 2
    bool blockBitsInDeviceAddress;  // address bits above the first byte ride in the device
                                    // address's bits 1 to 3 (24C04, 24C08, 24C16)
    std::uint32_t pageSize;         // bytes one write may store; 1: byte writes only (24C00)
};

// The chip of that name, 24C00 to 24C256 in any letter case; nullptr for an unknown name.
const ChipFacts* FindChip(const std::string& name);

}  // namespace korvel::sim
