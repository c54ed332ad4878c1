#include "tools/boardsim/Chip.h"

#include <utility>

namespace korvel::sim {

namespace {

// The select byte's bits that carry address bits 8 to 10 on this chip.
std::uint8_t BlockBits(const ChipFacts& facts) {
    return facts.blockBitsInDeviceAddress ? static_cast<std::uint8_t>((facts.size / 256 - 1) << 1)
                                          : 0;
}

}  // namespace

Chip::Chip(const ChipFacts& facts, std::vector<std::uint8_t> contents, ChipFaults faults, int pins)
    : facts_(facts),
      contents_(std::move(contents)),
      faults_(faults),
      pinBits_(static_cast<std::uint8_t>((pins << 1) & 0x0E & ~BlockBits(facts))) {
    contents_.resize(facts_.size, 0xFF);
}

bool Chip::Answers(std::uint8_t select) const {
    return !faults_.absent && (select & 0x0E & ~BlockBits(facts_)) == pinBits_;
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

std::uint8_t Chip::Read(std::uint8_t select, std::uint32_t address) const {
    return Answers(select) ? contents_[address % facts_.size] : 0xFF;
}

WriteOutcome Chip::Write(std::uint8_t select, std::uint32_t address,
                         const std::vector<std::uint8_t>& bytes) {
    if (!Answers(select)) {
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
