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
    // `contents` shorter than the chip are filled up with 0xFF.
    Chip(const ChipFacts& facts, std::vector<std::uint8_t> contents, ChipFaults faults);

    bool Present() const { return !faults_.absent; }
    // Where a device-select byte and the address bytes sent after it point in this chip: a
    // 24C04 to 24C16 takes its block from the select byte; a two-address-byte chip takes both
    // address bytes, or only the low one when only one is sent. The address wraps at the
    // chip's size, as in a real part.
    std::uint32_t Address(std::uint8_t select, bool twoAddressBytes, std::uint16_t sent) const;
    // Where the n-th byte of a page write starting at `address` lands: the chip rolls over
    // within its page.
    std::uint32_t Landing(std::uint32_t address, std::size_t n) const;

    // The byte at a chip address; 0xFF from an empty socket.
    std::uint8_t Read(std::uint32_t address) const;
    // A page write from a chip address on; nothing is stored unless it is Done.
    WriteOutcome Write(std::uint32_t address, const std::vector<std::uint8_t>& bytes);

    const std::vector<std::uint8_t>& Contents() const { return contents_; }
    // True once after each change of the contents.
    bool TakeChanged();

  private:
    const ChipFacts& facts_;
    std::vector<std::uint8_t> contents_;
    ChipFaults faults_;
    bool changed_ = false;
};

}  // namespace korvel::sim
