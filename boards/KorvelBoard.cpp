#include "boards/KorvelBoard.h"

namespace korvel {

namespace {

constexpr int kVersionLength = 3;
// A board that says more than three bytes sends them back to back: 20 ms of silence, some twenty
// byte times at 9600 baud, mean it has finished. One that goes on talking is cut off after
// 100 ms, some hundred bytes.
constexpr int kAnswerEndQuietMs = 20;
constexpr int kAnswerEndLimitMs = 100;
// Receive attempts of one reply wait, at most 200 ms each.
constexpr int kReplyAttempts = 10;
constexpr std::uint8_t kSelectBase = 0xA0;

}  // namespace

bool KorvelBoard::Open(const std::string& device) {
    return port.Open(device) && port.ApplyLineSettings();
}

bool KorvelBoard::AskVersion(std::string& answer) {
    // Whatever the board sent before the question is no part of its answer, and whatever it
    // sends after the three bytes must not be taken for the answer to a later command.
    port.DiscardInput();
    SendByte('F');
    std::uint8_t bytes[kVersionLength];
    if (port.Read(bytes, kVersionLength) != kVersionLength) {
        return false;
    }
    port.DiscardInputUntilQuiet(kAnswerEndQuietMs, kAnswerEndLimitMs);
    answer.assign(bytes, bytes + kVersionLength);
    return true;
}

void KorvelBoard::SendModeCommand(std::uint8_t addressMode) {
    const std::uint8_t command[] = {'T', addressMode};
    SendCommand(command, sizeof command);
}

// The block travels in bits 1 to 3 of the device-select byte: 0xA0, 0xA2 ... 0xAE.
void KorvelBoard::SendSelectCommand(int block) {
    const std::uint8_t command[] = {'C', static_cast<std::uint8_t>(kSelectBase | (block << 1))};
    SendCommand(command, sizeof command);
}

// The command, the address low byte first, and a write's data byte.
void KorvelBoard::SendAddressedCommand(char command, std::int32_t address, bool twoAddressBytes,
                                       std::optional<std::uint8_t> data) {
    std::uint8_t bytes[4] = {static_cast<std::uint8_t>(command),
                             static_cast<std::uint8_t>(address & 0xFF)};
    std::size_t count = 2;
    if (twoAddressBytes) {
        bytes[count++] = static_cast<std::uint8_t>(address / 256);
    }
    if (data) {
        bytes[count++] = *data;
    }
    SendCommand(bytes, count);
}

bool KorvelBoard::WaitReply() {
    for (int attempt = 0; attempt < kReplyAttempts; ++attempt) {
        if (ReceiveByte() == 1) {
            return true;
        }
    }
    return false;
}

}  // namespace korvel
