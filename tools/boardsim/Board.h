#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/chips/ChipFacts.h"

namespace korvel::sim {

// Misbehaviour on request, for tests of the host's error handling.
struct BoardFaults {
    long silentAfter = -1;   // replies given before the board falls silent for good; -1 never
    long badReplyAt = -1;    // chip address whose read or write reply is wrong; -1 none
    long shortVersion = -1;  // bytes of the version answer actually sent; -1 all
};

// What the board does with one byte from the host.
struct BoardStep {
    std::vector<std::uint8_t> reply;  // bytes to send back now
    bool commandEnded = false;        // the byte completed a command (or was no command at all)
};

// The programmer board with a 24Cxx chip in its socket: 'F' version, 'T' addressing mode,
// 'C' device select, 'R' read and 'W' write, as the host speaks them.
class Board {
  public:
    Board(const ChipFacts& chipFacts, std::vector<std::uint8_t> contents, std::string version,
          BoardFaults faults);

    BoardStep Take(std::uint8_t byte);

    const std::vector<std::uint8_t>& Chip() const { return chip_; }
    // True once after each change of the chip's contents.
    bool TakeChanged();
    // Answers given so far.
    long Replies() const { return replies_; }

  private:
    enum class Expect { Command, ModeByte, SelectByte, AddressLow, AddressHigh, DataByte };

    bool Silent() const;
    BoardStep AfterAddress();
    BoardStep Answer(std::vector<std::uint8_t> bytes);
    std::uint32_t ChipAddress() const;

    const ChipFacts& facts_;
    std::vector<std::uint8_t> chip_;
    std::string version_;
    BoardFaults faults_;

    Expect expect_ = Expect::Command;
    std::uint8_t command_ = 0;
    std::uint8_t mode_ = 0x00;    // one address byte
    std::uint8_t select_ = 0xA0;  // A2-A0 low, block 0
    std::uint8_t low_ = 0;
    std::uint8_t high_ = 0;
    long replies_ = 0;
    bool changed_ = false;
};

}  // namespace korvel::sim
