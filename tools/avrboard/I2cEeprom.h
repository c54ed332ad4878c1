#pragma once

#include <cstdint>
#include <vector>

#include "tools/chips/ChipFacts.h"

namespace korvel::sim {

// How a chip in the socket behaves beyond its datasheet facts: its write cycle, and faults for
// the tests of the board's error reports.
struct ChipBehaviour {
    int pins = 0;  // how A2-A0 are wired; a pin that carries an address bit is left out
    std::uint64_t writeCycleNs = 5'000'000;  // 5 ms, as most parts; old ones take 10
    long endlessCycleAt = -1;  // a write that stores this address never ends its cycle; -1 none
    long refuseWriteAt = -1;   // data for this address is not acknowledged; -1 none
};

// A 24Cxx chip as the I2C bus sees it, with A0 to A2 wired as told and WP tied to ground. A write
// takes the bytes after the address into the page buffer, rolling over within the page when it gets
// to the page's end, stores them at the stop condition and then spends its write cycle, during
// which the chip does not acknowledge its address. The 24C00 (page size 1) acknowledges only
// one data byte. Reads return the byte at the address counter and move it on through the whole
// chip, back to 0 after the last byte.
class I2cEeprom {
  public:
    // `contents` longer than the chip are cut, shorter ones filled up with 0xFF.
    I2cEeprom(const ChipFacts& facts, std::vector<std::uint8_t> contents,
              const ChipBehaviour& behaviour = {});

    // A start or repeated start followed by a device address with its read/write bit; true
    // when the chip acknowledges it.
    bool Start(std::uint8_t deviceAddress, std::uint64_t nowNs);
    // A byte from the master after the device address; true when acknowledged.
    bool Write(std::uint8_t byte);
    // The next byte of a read.
    std::uint8_t Read();
    void Stop(std::uint64_t nowNs);

    const std::vector<std::uint8_t>& Contents() const { return contents_; }
    // True once after each change of the contents.
    bool TakeChanged();

  private:
    enum class Phase { Idle, AddressHigh, AddressLow, Data, Reading };

    bool Answers(std::uint8_t deviceAddress) const;
    std::uint32_t Wrap(std::uint32_t address) const { return address & (facts_.size - 1); }

    const ChipFacts& facts_;
    std::vector<std::uint8_t> contents_;
    ChipBehaviour behaviour_;
    Phase phase_ = Phase::Idle;
    std::uint32_t block_ = 0;    // address bits from the device address
    std::uint32_t pointer_ = 0;  // the chip's address counter
    // The page buffer: the bytes a write has taken, by address, stored at the stop condition.
    std::vector<std::pair<std::uint32_t, std::uint8_t>> page_;
    std::uint64_t busyUntilNs_ = 0;
    bool changed_ = false;
};

}  // namespace korvel::sim
