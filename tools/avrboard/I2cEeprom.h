#pragma once

#include <cstdint>
#include <vector>

#include "tools/chips/ChipFacts.h"

namespace korvel::sim {

// A 24Cxx chip as the I2C bus sees it, with A0 to A2 and WP tied to ground. It takes one data
// byte per write (the byte write of the datasheet; a second data byte is not acknowledged),
// stores it at the stop condition and then spends its write cycle, during which it does not
// acknowledge its address. Reads return the byte at the address pointer and move it on.
class I2cEeprom {
  public:
    static constexpr std::uint64_t kWriteCycleNs = 5'000'000;

    // `contents` longer than the chip are cut, shorter ones filled up with 0xFF.
    I2cEeprom(const ChipFacts& facts, std::vector<std::uint8_t> contents);

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
    enum class Phase { Idle, AddressHigh, AddressLow, Data, DataTaken, Reading };

    bool Answers(std::uint8_t deviceAddress) const;
    std::uint32_t Wrap(std::uint32_t address) const { return address & (facts_.size - 1); }

    const ChipFacts& facts_;
    std::vector<std::uint8_t> contents_;
    Phase phase_ = Phase::Idle;
    std::uint32_t block_ = 0;    // address bits from the device address
    std::uint32_t pointer_ = 0;  // the chip's address counter
    std::uint8_t data_ = 0;      // the byte to store at the stop condition
    std::uint64_t busyUntilNs_ = 0;
    bool changed_ = false;
};

}  // namespace korvel::sim
