#include "tools/boardsim/Board.h"

#include <utility>

#include "protocol/ByteCommands.h"
#include "protocol/FastLink.h"

namespace korvel::sim {

namespace {

constexpr int kByteProtocolBaud = 9600;

std::uint8_t Complement(std::uint8_t byte) {
    return static_cast<std::uint8_t>(~byte);
}

}  // namespace

Board::Board(Chip& chip, std::string version, bool open, BoardFaults faults)
    : chip_(chip),
      version_(std::move(version)),
      open_(open),
      faults_(faults),
      frames_(chip, faults.badReplyAt) {}

int Board::Baud() const {
    return fast_ ? protocol::kFastBaud : kByteProtocolBaud;
}

void Board::BackTo9600() {
    fast_ = false;
    frames_.Forget();
}

std::uint32_t Board::ChipAddress() const {
    return chip_.Address(select_, mode_ == protocol::kTwoAddressBytes,
                         static_cast<std::uint16_t>(low_ | high_ << 8));
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

BoardStep Board::Version() {
    std::string answer = version_;
    if (std::exchange(cycleFailedForVersion_, false)) {
        answer.assign(std::begin(protocol::kOpenBoardWriteFailed),
                      std::end(protocol::kOpenBoardWriteFailed));
    }
    if (faults_.shortVersion >= 0 &&
        static_cast<std::size_t>(faults_.shortVersion) < answer.size()) {
        answer.resize(static_cast<std::size_t>(faults_.shortVersion));
    }
    return Answer({answer.begin(), answer.end()});
}

BoardStep Board::AfterAddress() {
    if (command_ == protocol::kReadCommand) {
        const std::uint32_t address = ChipAddress();
        const std::uint8_t byte = chip_.Read(select_, address);
        return Answer({faults_.badReplyAt == static_cast<long>(address) ? Complement(byte) : byte});
    }
    expect_ = Expect::DataByte;
    return {};
}

// A 'W' is answered with its byte once the chip has it, with the complement when it failed.
// The open board learns that a write cycle never ended only when it waits for it, at the next
// command: it reports that on the next 'W' instead of writing, and on the next 'F'.
BoardStep Board::WriteByte(std::uint8_t byte) {
    const std::uint32_t address = ChipAddress();
    if (faults_.badReplyAt == static_cast<long>(address) ||
        std::exchange(cycleFailedForWrite_, false)) {
        return Answer({Complement(byte)});
    }
    if (Silent()) {
        return Answer({byte});
    }
    switch (chip_.Write(select_, address, {byte})) {
        case WriteOutcome::NoChip:
            return Answer({Complement(byte)});
        case WriteOutcome::CycleNeverEnds:
            cycleFailedForWrite_ = cycleFailedForVersion_ = true;
            break;
        case WriteOutcome::Done:
            break;
    }
    return Answer({byte});
}

BoardStep Board::TakeFast(std::uint8_t byte, std::size_t heldBytes) {
    FrameStep frame = frames_.Take(byte, heldBytes);
    BoardStep step;
    if (frame.ended && frame.dropped == nullptr) {
        step = Answer(std::move(frame.reply));
    }
    step.commandEnded = frame.ended;
    step.dropped = frame.dropped;
    step.writeCycle = frame.writeCycle;
    step.frameBytes = frame.bytes;
    fast_ = !frame.backTo9600;
    return step;
}

BoardStep Board::Take(std::uint8_t byte, std::size_t heldBytes) {
    if (fast_) {
        return TakeFast(byte, heldBytes);
    }
    switch (expect_) {
        case Expect::Command:
            command_ = byte;
            switch (byte) {
                case protocol::kVersionRequest:
                    return Version();
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
                case protocol::kSwitchCommand:
                    if (open_) {
                        expect_ = Expect::Rate;
                        return {};
                    }
                    return {{}, true};  // the original board knows no fast link
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
        case Expect::DataByte:
            return WriteByte(byte);
        case Expect::Rate:
            expect_ = Expect::Command;
            if (byte != protocol::kRate500k) {
                return {{}, true};  // a rate this board does not have: no switch
            }
            fast_ = true;  // once the answer is out at 9600 baud
            return Answer({protocol::kSwitchCommand});
    }
    return {{}, true};
}

}  // namespace korvel::sim
