#include "tools/boardsim/FastFrames.h"

#include <algorithm>

#include "protocol/FastLink.h"

namespace korvel::sim {

namespace {

constexpr std::size_t kCrcBytes = 2;
constexpr std::size_t kHeaderBytes = 4;  // 'R' or 'W', address(2), count

// A frame of the board's: the command byte and what follows, then their CRC, low byte first.
std::vector<std::uint8_t> Framed(std::vector<std::uint8_t> bytes) {
    const std::uint16_t crc = protocol::Crc16(bytes.data(), bytes.size());
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return bytes;
}

FrameStep Dropped(const char* why) {
    FrameStep step;
    step.ended = true;
    step.dropped = why;
    return step;
}

FrameStep Answered(std::vector<std::uint8_t> bytes) {
    FrameStep step;
    step.ended = true;
    step.reply = Framed(std::move(bytes));
    return step;
}

bool PageSizeKnown(std::uint8_t size) {
    return size == 1 || size == 8 || size == 16 || size == 32 || size == 64;
}

constexpr const char* kImpossible = "impossible";

}  // namespace

// The whole frame's length, as far as the bytes in tell it.
std::size_t FastFrames::Length() const {
    switch (frame_.front()) {
        case protocol::kChipSetup:
            return 5 + kCrcBytes;
        case protocol::kReadBlock:
            return kHeaderBytes + kCrcBytes;
        case protocol::kWritePage:
            return frame_.size() < kHeaderBytes ? kHeaderBytes
                                                : kHeaderBytes + frame_[3] + kCrcBytes;
        default:  // kPing, kBackTo9600
            return 1 + kCrcBytes;
    }
}

FrameStep FastFrames::Take(std::uint8_t byte, std::size_t heldBytes) {
    constexpr std::uint8_t kCommands[] = {protocol::kPing, protocol::kChipSetup,
                                          protocol::kReadBlock, protocol::kWritePage,
                                          protocol::kBackTo9600};
    if (frame_.empty() &&
        std::find(std::begin(kCommands), std::end(kCommands), byte) == std::end(kCommands)) {
        return Dropped("unknown command");
    }
    frame_.push_back(byte);
    if (frame_.front() == protocol::kWritePage && frame_.size() == kHeaderBytes &&
        (byte == 0 || byte > protocol::kMostBlockBytes)) {
        frame_.clear();
        return Dropped(kImpossible);
    }
    if (frame_.size() < Length()) {
        return {};
    }
    const std::vector<std::uint8_t> frame = std::move(frame_);
    frame_.clear();
    if (heldBytes + frame.size() > static_cast<std::size_t>(protocol::kMostBytesAhead)) {
        return Dropped("no room");
    }
    const std::size_t body = frame.size() - kCrcBytes;
    if (protocol::Crc16(frame.data(), body) != (frame[body] | frame[body + 1] << 8)) {
        return Dropped("bad CRC");
    }
    FrameStep step = Answer(frame);
    step.bytes = frame.size();
    return step;
}

FrameStep FastFrames::Answer(const std::vector<std::uint8_t>& frame) {
    const std::uint8_t command = frame.front();
    if (command == protocol::kPing) {
        return Answered({command});
    }
    if (command == protocol::kBackTo9600) {
        FrameStep step = Answered({command});
        step.backTo9600 = true;
        return step;
    }
    if (command == protocol::kChipSetup) {
        return ChipSetup(&frame[1]);
    }
    if (setup_.pageSize == 0) {
        return Dropped("before 'M'");
    }
    const auto address = static_cast<std::uint16_t>(frame[1] | frame[2] << 8);
    if (!setup_.twoAddressBytes && address > 0x7FF) {
        return Dropped(kImpossible);  // more than three block bits
    }
    if (command == protocol::kReadBlock) {
        return ReadBlock(address, frame[3]);
    }
    return WritePage(address, &frame[kHeaderBytes], frame[3]);
}

FrameStep FastFrames::ChipSetup(const std::uint8_t* arguments) {
    const std::uint8_t addressBytes = arguments[0], select = arguments[1], bus = arguments[2],
                       pageSize = arguments[3];
    if ((addressBytes != 1 && addressBytes != 2) || (select & 0xF1) != protocol::kDeviceSelect ||
        (bus != protocol::kBus100kHz && bus != protocol::kBus400kHz) || !PageSizeKnown(pageSize)) {
        return Dropped(kImpossible);
    }
    setup_ = {addressBytes == 2, select, pageSize};
    return Answered({protocol::kChipSetup});
}

// One sequential read, within one 256-byte block.
FrameStep FastFrames::ReadBlock(std::uint16_t address, int count) {
    if (count < 1 || count > protocol::kMostBlockBytes || (address & 0xFF) + count > 0x100) {
        return Dropped(kImpossible);
    }
    const std::uint8_t select = Select(address);
    const bool present = chip_.Answers(select);
    std::vector<std::uint8_t> answer = {
        protocol::kReadBlock, present ? protocol::kStatusDone : protocol::kStatusNoChip,
        static_cast<std::uint8_t>(address & 0xFF), static_cast<std::uint8_t>(address >> 8)};
    const std::uint32_t start = ChipAddress(address), size = chip_.Contents().size();
    for (int n = 0; n < count; ++n) {
        const std::uint32_t at = (start + static_cast<std::uint32_t>(n)) % size;
        const std::uint8_t byte = chip_.Read(select, at);
        answer.push_back(present && static_cast<long>(at) == badReplyAt_
                             ? static_cast<std::uint8_t>(~byte)
                             : byte);
    }
    return Answered(std::move(answer));
}

// One page write, answered once the chip's write cycle is over.
FrameStep FastFrames::WritePage(std::uint16_t address, const std::uint8_t* bytes, int count) {
    if (count > setup_.pageSize || address % setup_.pageSize + count > setup_.pageSize) {
        return Dropped(kImpossible);
    }
    const std::uint32_t start = ChipAddress(address);
    std::uint8_t status = protocol::kStatusWriteFailed;
    bool spoilt = false;
    for (int n = 0; n < count; ++n) {
        spoilt = spoilt || static_cast<long>(chip_.Landing(start, n)) == badReplyAt_;
    }
    const std::uint8_t select = Select(address);
    if (!spoilt || !chip_.Answers(select)) {
        switch (chip_.Write(select, start, {bytes, bytes + count})) {
            case WriteOutcome::Done:
                status = protocol::kStatusDone;
                break;
            case WriteOutcome::NoChip:
                status = protocol::kStatusNoChip;
                break;
            case WriteOutcome::CycleNeverEnds:
                break;
        }
    }
    FrameStep step =
        Answered({protocol::kWritePage, status, static_cast<std::uint8_t>(address & 0xFF),
                  static_cast<std::uint8_t>(address >> 8)});
    step.writeCycle = status != protocol::kStatusNoChip;
    return step;
}

// A chip with one address byte takes address bits 8 to 10 as block bits in the select byte.
std::uint8_t FastFrames::Select(std::uint16_t address) const {
    if (setup_.twoAddressBytes) {
        return setup_.select;
    }
    return static_cast<std::uint8_t>(setup_.select | ((address >> 8) & 0x07) << 1);
}

std::uint32_t FastFrames::ChipAddress(std::uint16_t address) const {
    return chip_.Address(Select(address), setup_.twoAddressBytes, address);
}

}  // namespace korvel::sim
