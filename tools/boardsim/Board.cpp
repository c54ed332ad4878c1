#include "tools/boardsim/Board.h"

#include <utility>

#include "protocol/ByteCommands.h"

namespace korvel::sim {

Board::Board(const ChipFacts& chipFacts, std::vector<std::uint8_t> contents, std::string version,
             BoardFaults faults)
    : facts_(chipFacts), chip_(std::move(contents)), version_(std::move(version)), faults_(faults) {
    chip_.resize(facts_.size, 0xFF);
}

bool Board::TakeChanged() {
    return std::exchange(changed_, false);
}

// A 24C04 to 24C16 takes its block from the select byte; a two-address-byte chip takes both
// address bytes, or only the low one while the board is in one-byte mode. Like a real part, the
// address wraps at the chip's size.
std::uint32_t Board::ChipAddress() const {
    std::uint32_t address = low_;
    if (facts_.blockBitsInDeviceAddress) {
        address |= static_cast<std::uint32_t>((select_ >> 1) & 0x07) << 8;
    } else if (facts_.addressBytes == 2 && mode_ == protocol::kTwoAddressBytes) {
        address |= static_cast<std::uint32_t>(high_) << 8;
    }
    return address % static_cast<std::uint32_t>(chip_.size());
}

bool Board::Silent() const {
    return faults_.silentAfter >= 0 && replies_ >= faults_.silentAfter;
}

BoardStep Board::Answer(std::vector<std::uint8_t> bytes) {
    expect_ = Expect::Command;
    if (Silent()) {
        return {{}, true};
    }
    ++replies_;
    return {std::move(bytes), true};
}

BoardStep Board::AfterAddress() {
    const std::uint32_t address = ChipAddress();
    const bool spoilt = faults_.badReplyAt == static_cast<long>(address);
    if (command_ == protocol::kReadCommand) {
        const std::uint8_t byte = chip_[address];
        return Answer({static_cast<std::uint8_t>(spoilt ? ~byte : byte)});
    }
    expect_ = Expect::DataByte;
    return {};
}

BoardStep Board::Take(std::uint8_t byte) {
    switch (expect_) {
        case Expect::Command:
            command_ = byte;
            switch (byte) {
                case protocol::kVersionRequest: {
                    std::string answer = version_;
                    if (faults_.shortVersion >= 0 &&
                        static_cast<std::size_t>(faults_.shortVersion) < answer.size()) {
                        answer.resize(static_cast<std::size_t>(faults_.shortVersion));
                    }
                    return Answer({answer.begin(), answer.end()});
                }
                case protocol::kModeCommand:
                    expect_ = Expect::ModeByte;
                    return {};
                case protocol::kSelectCommand:
                    expect_ = Expect::SelectByte;
                    return {};
                case protocol::kReadCommand:
                case protocol::kWriteCommand:
                    expect_ = Expect::AddressLow;
                    return {};
                default:
                    return {{}, true};  // not a command: ignored
            }
        case Expect::ModeByte:
            mode_ = byte;
            expect_ = Expect::Command;
            return {{}, true};
        case Expect::SelectByte:
            select_ = byte;
            expect_ = Expect::Command;
            return {{}, true};
        case Expect::AddressLow:
            low_ = byte;
            high_ = 0;
            if (mode_ == protocol::kTwoAddressBytes) {
                expect_ = Expect::AddressHigh;
                return {};
            }
            return AfterAddress();
        case Expect::AddressHigh:
            high_ = byte;
            return AfterAddress();
        case Expect::DataByte: {
            const std::uint32_t address = ChipAddress();
            if (faults_.badReplyAt == static_cast<long>(address)) {
                return Answer({static_cast<std::uint8_t>(~byte)});
            }
            if (!Silent() && chip_[address] != byte) {
                chip_[address] = byte;
                changed_ = true;
            }
            return Answer({byte});
        }
    }
    return {{}, true};
}

}  // namespace korvel::sim
