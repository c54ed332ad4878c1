#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/avrboard/AvrBoard.h"

namespace korvel {

// The board with this chip (none for an empty socket) and the firmware built with the tests.
inline sim::AvrBoardSetup Socket(const char* chip) {
    sim::AvrBoardSetup setup;
    setup.firmware = KORVEL_FIRMWARE_ELF;
    setup.chip = chip == nullptr ? nullptr : sim::FindChip(chip);
    return setup;
}

// The firmware on the simulated ATmega328P, driven byte by byte on its UART in simulated time,
// and what the host has got back: each byte, and when the firmware started to send it, in
// milliseconds since reset.
class SimulatedBoard {
  public:
    static constexpr std::uint64_t kCyclesPerMs = sim::AvrBoard::kClockHz / 1000;

    explicit SimulatedBoard(const sim::AvrBoardSetup& setup) {
        std::string error;
        board_ = sim::AvrBoard::Create(setup, error);
        EXPECT_TRUE(board_) << error;
        board_->OnSend([this](std::uint8_t byte) {
            sent.push_back(byte);
            sentMs.push_back(Ms());
        });
        RunUntilMs(1);
    }
    explicit SimulatedBoard(const char* chip) : SimulatedBoard(Socket(chip)) {}

    // Sends these bytes back to back from now on at the host's rate, then runs until `untilMs`.
    void Send(const std::vector<std::uint8_t>& bytes, double untilMs) {
        for (std::uint8_t byte : bytes) {
            board_->Receive(byte);
        }
        RunUntilMs(untilMs);
    }
    void RunUntilMs(double ms) {
        ASSERT_TRUE(board_->RunUntil(static_cast<std::uint64_t>(ms * kCyclesPerMs)));
    }
    // Runs until the board has sent `count` bytes in all, or until `limitMs`.
    void RunUntilSent(std::size_t count, double limitMs) {
        while (sent.size() < count && Ms() < limitMs) {
            RunUntilMs(Ms() + 0.01);
        }
    }
    double Ms() const { return static_cast<double>(board_->Cycle()) / kCyclesPerMs; }
    // When the host's last byte so far has left it.
    double SentOutMs() const { return static_cast<double>(board_->HostLineFree()) / kCyclesPerMs; }

    // The host's line runs at this rate from now on.
    void HostBaud(int baud) { board_->SetHostBaud(baud); }
    int BoardBaud() const { return board_->LineBaud(); }
    const std::vector<std::uint8_t>& Chip() { return board_->Chip()->Contents(); }

    // What the host has got so far, forgotten for the next exchange.
    std::vector<std::uint8_t> Answer() {
        std::vector<std::uint8_t> answer;
        answer.swap(sent);
        sentMs.clear();
        return answer;
    }

    std::vector<std::uint8_t> sent;
    std::vector<double> sentMs;

  private:
    std::unique_ptr<sim::AvrBoard> board_;
};

}  // namespace korvel
