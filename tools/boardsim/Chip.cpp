#include "tools/boardsim/Chip.h"

#include <utility>

namespace korvel::sim {

Chip::Chip(const ChipFacts& facts, std::vector<std::uint8_t> contents, ChipFaults faults)
    : facts_(facts), contents_(std::move(contents)), faults_(faults) {
    contents_.resize(facts_.size, 0xFF);
}

std::uint32_t Chip::Address(std::uint8_t select, bool twoAddressBytes, std::uint16_t sent) const {
    std::uint32_t address = sent & 0xFFu;
    if (facts_.blockBitsInDeviceAddress) {
        address |= static_cast<std::uint32_t>((select >> 1) & 0x07) << 8;
    } else if (facts_.addressBytes == 2 && twoAddressBytes) {
        address = sent;
    }
    return address % facts_.size;
}

std::uint32_t Chip::Landing(std::uint32_t address, std::size_t n) const {
    const std::uint32_t page = address - address % facts_.pageSize;
    return page + (address - page + static_cast<std::uint32_t>(n)) % facts_.pageSize;
}

std::uint8_t Chip::Read(std::uint32_t address) const {
    return Present() ? contents_[address % facts_.size] : 0xFF;
}

WriteOutcome Chip::Write(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    if (!Present()) {
        return WriteOutcome::NoChip;
    }
    const auto page = [this](long at) { return at / static_cast<long>(facts_.pageSize); };
    if (faults_.endlessCycleAt >= 0 && page(address) == page(faults_.endlessCycleAt)) {
        return WriteOutcome::CycleNeverEnds;
    }
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        std::uint8_t& stored = contents_[Landing(address, n)];
        changed_ = changed_ || stored != bytes[n];
        stored = bytes[n];
    }
    return WriteOutcome::Done;
}

bool Chip::TakeChanged() {
    return std::exchange(changed_, false);
}

}  // namespace korvel::sim
