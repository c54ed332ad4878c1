// The firmware on the simulated ATmega328P, driven byte by byte on its UART, in simulated time.
#include <gtest/gtest.h>

#include "tools/avrboard/AvrBoard.h"

namespace korvel {

namespace {

using korvel::sim::AvrBoard;
using korvel::sim::AvrBoardSetup;
using korvel::sim::FindChip;

constexpr std::uint64_t kCyclesPerMs = AvrBoard::kClockHz / 1000;

// The board with its chip (none for an empty socket), and what it has sent: each byte, and when
// the firmware started to send it, in milliseconds since reset.
class SimulatedBoard {
  public:
    explicit SimulatedBoard(const char* chip, bool stuckBus = false) {
        AvrBoardSetup setup;
        setup.firmware = KORVEL_FIRMWARE_ELF;
        setup.chip = chip == nullptr ? nullptr : FindChip(chip);
        setup.stuckBus = stuckBus;
        std::string error;
        board_ = AvrBoard::Create(setup, error);
        EXPECT_TRUE(board_) << error;
        board_->OnSend([this](std::uint8_t byte) {
            sent.push_back(byte);
            sentMs.push_back(Ms());
        });
        RunUntilMs(1);
    }

    // Sends these bytes at once, then runs until `untilMs`.
    void Send(const std::vector<std::uint8_t>& bytes, double untilMs) {
        for (std::uint8_t byte : bytes) {
            board_->Receive(byte);
        }
        RunUntilMs(untilMs);
    }
    void RunUntilMs(double ms) {
        ASSERT_TRUE(board_->RunUntil(static_cast<std::uint64_t>(ms * kCyclesPerMs)));
    }
    double Ms() const { return static_cast<double>(board_->Cycle()) / kCyclesPerMs; }
    const std::vector<std::uint8_t>& Chip() { return board_->Chip()->Contents(); }

    std::vector<std::uint8_t> sent;
    std::vector<double> sentMs;

  private:
    std::unique_ptr<AvrBoard> board_;
};

TEST(Firmware, AnswersTheVersionWithin100MsOfReset) {
    SimulatedBoard board("24C02");
    board.Send({'F'}, 100);
    ASSERT_EQ(board.sent, (std::vector<std::uint8_t>{'1', '.', '0'}));
    // 9615 baud (16 MHz / 16 / 104), ten bits a byte: 1.040 ms from one byte to the next.
    EXPECT_NEAR(board.sentMs[1] - board.sentMs[0], 1.040, 0.002);
    EXPECT_NEAR(board.sentMs[2] - board.sentMs[1], 1.040, 0.002);
}

TEST(Firmware, ReadsThroughTheBusAt100KHz) {
    SimulatedBoard board("24C02");
    const double sent = board.Ms();
    board.Send({'T', 0x00, 'C', 0xA0, 'R', 0x05}, 20);
    ASSERT_EQ(board.sent, (std::vector<std::uint8_t>{0xFF}));
    // Six bytes on the line take 6 * 1.040 ms. On the bus then: start, device address, address,
    // repeated start, device address, data: 2 * 10 us + 4 * 90 us at 100 kHz.
    const double lineEnd = sent + 6 * 1.040;
    EXPECT_GT(board.sentMs[0], lineEnd + 0.380);
    EXPECT_LT(board.sentMs[0], lineEnd + 0.500);
}

TEST(Firmware, KeepsBytesThatArriveWhileItWorks) {
    SimulatedBoard board("24C02");
    // The read and the version request come in during the write and its write cycle.
    board.Send({'T', 0x00, 'C', 0xA0, 'W', 0x05, 0x5A, 'R', 0x05, 'F', 'R', 0x06}, 60);
    EXPECT_EQ(board.sent, (std::vector<std::uint8_t>{0x5A, 0x5A, '1', '.', '0', 0xFF}));
    EXPECT_EQ(board.Chip()[5], 0x5A);
}

// The byte read ahead after a read is never answered once a write or another block makes it old.
TEST(Firmware, AnswersWhatTheChipHoldsAfterWritesAndOtherBlocks) {
    SimulatedBoard board("24C16");
    board.Send({'T', 0x00, 'C', 0xA0, 'W', 0x06, 0x11, 'C',  0xA2, 'W',  0x06, 0x22, 'C', 0xA0,
                'R', 0x05, 'C', 0xA2, 'R', 0x06, 'R',  0x05, 'W',  0x06, 0x33, 'R',  0x06},
               150);
    EXPECT_EQ(board.sent, (std::vector<std::uint8_t>{0x11, 0x22, 0xFF, 0x22, 0xFF, 0x33, 0x33}));
}

// A command's bytes come back to back. One whose next byte has not come within a few byte times
// was cut off by a host that went away: the next host's version request is no argument of it.
TEST(Firmware, DropsACommandCutOffMidway) {
    SimulatedBoard board("24C02");
    board.Send({'T', 0x00, 'C', 0xA0, 'W', 0x05}, 20);  // the data byte never comes
    board.Send({'F'}, 30);
    EXPECT_EQ(board.sent, (std::vector<std::uint8_t>{'1', '.', '0'}));
    EXPECT_EQ(board.Chip()[5], 0xFF);

    // A byte two byte times late still belongs to its command.
    const double start = board.Ms();
    board.Send({'W', 0x06}, start + 2 * 1.04 + 2.0);
    board.Send({0x5A}, start + 30);
    EXPECT_EQ(board.sent, (std::vector<std::uint8_t>{'1', '.', '0', 0x5A}));
    EXPECT_EQ(board.Chip()[6], 0x5A);
}

TEST(Firmware, EmptySocketReadsFFAndFailsWritesAfter20Ms) {
    SimulatedBoard board(nullptr);
    board.Send({'T', 0x01, 'C', 0xA0, 'R', 0x00, 0x00}, 20);
    const double sent = board.Ms();
    board.Send({'W', 0x00, 0x00, 0x5A}, 100);
    ASSERT_EQ(board.sent, (std::vector<std::uint8_t>{0xFF, 0xA5}));
    // Four bytes on the line (4.2 ms), then 20 ms of asking for an acknowledge.
    const double answeredAfter = board.sentMs[1] - sent;
    EXPECT_GT(answeredAfter, 24.0);
    EXPECT_LT(answeredAfter, 30.0);
}

TEST(Firmware, StuckBusGivesBoundedAnswers) {
    SimulatedBoard board("24C256", true);
    board.Send({'T', 0x01, 'C', 0xA0, 'R', 0x34, 0x12}, 30);
    board.Send({'W', 0x34, 0x12, 0x00, 'F'}, 80);
    EXPECT_EQ(board.sent, (std::vector<std::uint8_t>{0xFF, 0xFF, '1', '.', '0'}));
    ASSERT_EQ(board.sentMs.size(), 5u);
    EXPECT_LT(board.sentMs[0], 20.0);
    EXPECT_LT(board.sentMs[1], 50.0);
}

}  // namespace

}  // namespace korvel
