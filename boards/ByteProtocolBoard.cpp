#include "boards/ByteProtocolBoard.h"

#include "protocol/ByteCommands.h"

namespace korvel {

namespace {

constexpr LineSettings kLine{9600, 8, Parity::None, 1};
// A board that says more than three bytes sends them back to back: 20 ms of silence, some twenty
// byte times at 9600 baud, mean it has finished. One that goes on talking is cut off after
// 100 ms, some hundred bytes.
constexpr int kAnswerEndQuietMs = 20;
constexpr int kAnswerEndLimitMs = 100;
// Receive attempts of one reply wait, at most 200 ms each.
constexpr int kReplyAttempts = 10;

}  // namespace

bool ByteProtocolBoard::Connect(const std::string& device) {
    return port_.Open(device, kLine);
}

bool ByteProtocolBoard::AskVersion(std::string& answer) {
    // Whatever the board sent before the question is no part of its answer, and whatever it
    // sends after the three bytes must not be taken for the answer to a later command.
    port_.DiscardInput();
    SendByte(protocol::kVersionRequest);
    std::uint8_t bytes[protocol::kVersionLength];
    if (port_.Read(bytes, sizeof bytes) != sizeof bytes) {
        return false;
    }
    port_.DiscardInputUntilQuiet(kAnswerEndQuietMs, kAnswerEndLimitMs);
    answer.assign(bytes, bytes + sizeof bytes);
    return true;
}

// A reply that came too late for an earlier exchange, or surplus bytes of a version answer,
// would otherwise be taken for the reply to the first address.
void ByteProtocolBoard::BeginChipWork(const ChipAddressing& chip) {
    port_.DiscardInput();
    chip_ = chip;
    block_ = 0;
    Send({protocol::kModeCommand,
          chip.addressBytes == 2 ? protocol::kTwoAddressBytes : protocol::kOneAddressByte});
    Send({protocol::kSelectCommand, SelectByte(0)});
}

std::optional<std::uint8_t> ByteProtocolBoard::ReadByte(std::int32_t address) {
    SelectBlockOf(address);
    SendAddressed(protocol::kReadCommand, address, nullptr);
    return WaitReply();
}

std::optional<std::uint8_t> ByteProtocolBoard::WriteByte(std::int32_t address, std::uint8_t data) {
    SelectBlockOf(address);
    SendAddressed(protocol::kWriteCommand, address, &data);
    return WaitReply();
}

void ByteProtocolBoard::SendByte(std::uint8_t byte) {
    port_.Write(&byte, 1);
}

bool ByteProtocolBoard::ReceiveByte(std::uint8_t& byte) {
    return port_.Read(&byte, 1) == 1;
}

void ByteProtocolBoard::Send(std::initializer_list<std::uint8_t> command) {
    port_.Write(command.begin(), command.size());
}

// The address goes low byte first; a chip with one address byte takes only the low one.
void ByteProtocolBoard::SendAddressed(std::uint8_t command, std::int32_t address,
                                      const std::uint8_t* data) {
    const auto low = static_cast<std::uint8_t>(address & 0xFF);
    const auto high = static_cast<std::uint8_t>(address / 256);
    std::uint8_t bytes[4] = {command, low};
    std::size_t count = 2;
    if (chip_.addressBytes == 2) {
        bytes[count++] = high;
    }
    if (data != nullptr) {
        bytes[count++] = *data;
    }
    port_.Write(bytes, count);
}

// The block travels in bits 1 to 3 of the device-select byte, 0xA0, 0xA2 ... 0xAE, beside the
// chip's own address pins, which the chip types that have blocks leave free for them.
std::uint8_t ByteProtocolBoard::SelectByte(int block) const {
    return static_cast<std::uint8_t>(protocol::kDeviceSelect | (chip_.chipAddress << 1) |
                                     (block << 1));
}

void ByteProtocolBoard::SelectBlockOf(std::int32_t address) {
    if (chip_.addressBytes == 1 && address / 256 != block_) {
        block_ = address / 256;
        Send({protocol::kSelectCommand, SelectByte(block_)});
    }
}

std::optional<std::uint8_t> ByteProtocolBoard::WaitReply() {
    std::uint8_t byte = 0;
    for (int attempt = 0; attempt < kReplyAttempts; ++attempt) {
        if (ReceiveByte(byte)) {
            return byte;
        }
    }
    return std::nullopt;
}

}  // namespace korvel
