#pragma once

#include <cstdint>
#include <vector>

#include "tools/chips/ChipFacts.h"

namespace korvel::sim {

// What can be wrong in the socket, for tests of the host's error handling.
struct ChipFaults {
    bool absent = false;       // an empty socket: nothing acknowledges the device address
    long endlessCycleAt = -1;  // the write cycle of the page holding this address never ends
};

enum class WriteOutcome { Done, NoChip, CycleNeverEnds };

// The 24Cxx chip in the board's socket, as the board reaches it over the bus.
class Chip {
  public:
    // `contents` shorter than the chip are filled up with 0xFF. `pins`: how its pins A2-A0 are
    // wired, 0 to 7; a pin that carries an address bit on this chip is left out.
    Chip(const ChipFacts& facts, std::vector<std::uint8_t> contents, ChipFaults faults,
         int pins = 0);

    // Whether the chip acknowledges a device-select byte: one whose bits 1 to 3 are its pins,
    // where they are not block bits.
    bool Answers(std::uint8_t select) const;
    // Where a device-select byte and the address bytes sent after it point in this chip: a
    // 24C04 to 24C16 takes its block from the select byte; a two-address-byte chip takes both
    // address bytes, or only the low one when only one is sent. The address wraps at the
    // chip's size, as in a real part.
    std::uint32_t Address(std::uint8_t select, bool twoAddressBytes, std::uint16_t sent) const;
    // Where the n-th byte of a page write starting at `address` lands: the chip rolls over
    // within its page.
    std::uint32_t Landing(std::uint32_t address, std::size_t n) const;

    // The byte at a chip address, reached through a device-select byte; 0xFF where the chip does
    // not answer.
    std::uint8_t Read(std::uint8_t select, std::uint32_t address) const;
    // A page write from a chip address on; nothing is stored unless it is Done.
    WriteOutcome Write(std::uint8_t select, std::uint32_t address,
                       const std::vector<std::uint8_t>& bytes);

    const std::vector<std::uint8_t>& Contents() const { return contents_; }
    // True once after each change of the contents.
    bool TakeChanged();

  private:
    const ChipFacts& facts_;
    std::vector<std::uint8_t> contents_;
    ChipFaults faults_;
    std::uint8_t pinBits_;  // the select byte's bits 1 to 3 that the pins fix
    bool changed_ = false;
};

}  // namespace korvel::sim
