#include "tools/avrboard/I2cEeprom.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace korvel::sim {

namespace {

constexpr std::uint8_t kReadBit = 0x01;
constexpr std::uint8_t kFamilyCode = 0xA0;  // 1010 in the device address's upper four bits

}  // namespace

I2cEeprom::I2cEeprom(const ChipFacts& facts, std::vector<std::uint8_t> contents,
                     const ChipBehaviour& behaviour)
    : facts_(facts), contents_(std::move(contents)), behaviour_(behaviour) {
    contents_.resize(facts.size, 0xFF);
}

bool I2cEeprom::Answers(std::uint8_t deviceAddress) const {
    if ((deviceAddress & 0xF0) != kFamilyCode) {
        return false;
    }
    // Bits 1 to 3 name the chip's A2 A1 A0 pins, except where they carry block bits: one for
    // the 24C04, two for the 24C08, three for the 24C16.
    std::uint8_t blockMask = 0;
    if (facts_.blockBitsInDeviceAddress) {
        blockMask = static_cast<std::uint8_t>(((facts_.size / 256) - 1) << 1);
    }
    const int pinBits = behaviour_.pins << 1 & 0x0E & ~blockMask;
    return (deviceAddress & 0x0E & ~blockMask) == pinBits;
}

bool I2cEeprom::Start(std::uint8_t deviceAddress, std::uint64_t nowNs) {
    phase_ = Phase::Idle;  // a repeated start abandons a write that was not stopped
    page_.clear();
    if (nowNs < busyUntilNs_ || !Answers(deviceAddress)) {
        return false;
    }
    if ((deviceAddress & kReadBit) != 0) {
        phase_ = Phase::Reading;
        return true;
    }
    block_ = facts_.blockBitsInDeviceAddress ? (deviceAddress & 0x0E) >> 1 : 0;
    phase_ = facts_.addressBytes == 2 ? Phase::AddressHigh : Phase::AddressLow;
    return true;
}

bool I2cEeprom::Write(std::uint8_t byte) {
    switch (phase_) {
        case Phase::AddressHigh:
            pointer_ = Wrap(static_cast<std::uint32_t>(byte) << 8);
            phase_ = Phase::AddressLow;
            return true;
        case Phase::AddressLow:
            pointer_ = facts_.addressBytes == 2 ? Wrap(pointer_ | byte) : Wrap(block_ << 8 | byte);
            phase_ = Phase::Data;
            return true;
        case Phase::Data: {
            if ((facts_.pageSize == 1 && !page_.empty()) ||
                static_cast<long>(pointer_) == behaviour_.refuseWriteAt) {
                phase_ = Phase::Idle;
                page_.clear();
                return false;
            }
            // A byte for an address the page buffer holds already replaces it.
            const auto same = [this](const auto& taken) { return taken.first == pointer_; };
            page_.erase(std::remove_if(page_.begin(), page_.end(), same), page_.end());
            page_.emplace_back(pointer_, byte);
            const std::uint32_t page = pointer_ & ~(facts_.pageSize - 1);
            pointer_ = page | ((pointer_ + 1) & (facts_.pageSize - 1));
            return true;
        }
        default:
            return false;
    }
}

std::uint8_t I2cEeprom::Read() {
    if (phase_ != Phase::Reading) {
        return 0xFF;
    }
    const std::uint8_t byte = contents_[pointer_];
    pointer_ = Wrap(pointer_ + 1);
    return byte;
}

void I2cEeprom::Stop(std::uint64_t nowNs) {
    if (phase_ == Phase::Data && !page_.empty()) {
        busyUntilNs_ = nowNs + behaviour_.writeCycleNs;
        for (const auto& [address, byte] : page_) {
            changed_ = changed_ || contents_[address] != byte;
            contents_[address] = byte;
            if (static_cast<long>(address) == behaviour_.endlessCycleAt) {
                busyUntilNs_ = std::numeric_limits<std::uint64_t>::max();
            }
        }
    }
    page_.clear();
    phase_ = Phase::Idle;
}

bool I2cEeprom::TakeChanged() {
    const bool changed = changed_;
    changed_ = false;
    return changed;
}

}  // namespace korvel::sim
