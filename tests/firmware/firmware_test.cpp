// The firmware's original commands on the simulated ATmega328P, driven byte by byte on its UART
// at 9600 baud, in simulated time.
#include <gtest/gtest.h>

#include "tests/firmware/SimulatedBoard.h"

namespace korvel {

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kVersion = {'K', '2', '0'};
constexpr double kHostByteMs = 10.0 / 9600 * 1000;  // 1.042 ms

// The simulation stops at the time asked for even while the firmware sleeps between its clock's
// ticks, so that a byte the test sends then goes on the line then.
TEST(Simulation, StopsWhereAskedWhileTheFirmwareSleeps) {
    SimulatedBoard board("24C02");
    board.RunUntilMs(1.4);
    EXPECT_NEAR(board.Ms(), 1.4, 0.001);
}

TEST(Firmware, AnswersTheVersionWithin100MsOfReset) {
    SimulatedBoard board("24C02");
    board.Send({'F'}, 100);
    ASSERT_EQ(board.sent, kVersion);
    // 9615 baud (16 MHz / 16 / 104), ten bits a byte: 1.040 ms from one byte to the next.
    EXPECT_NEAR(board.sentMs[1] - board.sentMs[0], 1.040, 0.0001);
    EXPECT_NEAR(board.sentMs[2] - board.sentMs[1], 1.040, 0.0001);
}

TEST(Firmware, ReadsThroughTheBusAt100KHz) {
    SimulatedBoard board("24C02");
    const double sent = board.Ms();
    board.Send({'T', 0x00, 'C', 0xA0, 'R', 0x05}, 20);
    ASSERT_EQ(board.sent, Bytes{0xFF});
    // Six bytes on the line take 6 * 1.042 ms. On the bus then: start, device address, address,
    // repeated start, device address, data: 2 * 10 us + 4 * 90 us at 100 kHz.
    const double lineEnd = sent + 6 * kHostByteMs;
    EXPECT_GT(board.sentMs[0], lineEnd + 0.380);
    EXPECT_LT(board.sentMs[0], lineEnd + 0.500);
}

TEST(Firmware, KeepsBytesThatArriveWhileItWorks) {
    SimulatedBoard board("24C02");
    // The read and the version request come in during the write and its write cycle.
    board.Send({'T', 0x00, 'C', 0xA0, 'W', 0x05, 0x5A, 'R', 0x05, 'F', 'R', 0x06}, 60);
    EXPECT_EQ(board.sent, (Bytes{0x5A, 0x5A, 'K', '2', '0', 0xFF}));
    EXPECT_EQ(board.Chip()[5], 0x5A);
}

// The byte read ahead after a read is never answered once a write or another block makes it old.
TEST(Firmware, AnswersWhatTheChipHoldsAfterWritesAndOtherBlocks) {
    SimulatedBoard board("24C16");
    board.Send({'T', 0x00, 'C', 0xA0, 'W', 0x06, 0x11, 'C',  0xA2, 'W',  0x06, 0x22, 'C', 0xA0,
                'R', 0x05, 'C', 0xA2, 'R', 0x06, 'R',  0x05, 'W',  0x06, 0x33, 'R',  0x06},
               150);
    EXPECT_EQ(board.sent, (Bytes{0x11, 0x22, 0xFF, 0x22, 0xFF, 0x33, 0x33}));
}

// A write is answered once the chip has taken the byte; its write cycle runs while the host
// sends the next command, which waits for the cycle's end before it uses the bus.
TEST(Firmware, AnswersAWriteOnceTheChipHasTheByte) {
    SimulatedBoard board("24C256");
    board.Send({'T', 0x01, 'C', 0xA0}, 10);
    const double sent = board.Ms();
    board.Send({'W', 0x34, 0x12, 0x5A}, sent + 5);
    ASSERT_EQ(board.Answer(), Bytes{0x5A});
    board.Send({'R', 0x34, 0x12}, board.Ms() + 10);
    EXPECT_EQ(board.Answer(), Bytes{0x5A});
    EXPECT_EQ(board.Chip()[0x1234], 0x5A);

    // Address after address, each write sent once the answer before is in: the line's five
    // bytes (5.2 ms), the chip's 5 ms write cycle within them, and the bus after it.
    double answerIn = board.Ms();
    double first = 0;
    double last = 0;
    for (std::uint8_t low = 0; low < 4; ++low) {
        board.RunUntilMs(answerIn);
        board.Send({'W', low, 0x00, static_cast<std::uint8_t>(0xC0 + low)}, answerIn);
        board.RunUntilSent(1, answerIn + 12);
        ASSERT_EQ(board.sent, Bytes{static_cast<std::uint8_t>(0xC0 + low)});
        (low == 0 ? first : last) = board.sentMs[0];
        answerIn = board.sentMs[0] + 1.040;
        board.Answer();
    }
    EXPECT_LT((last - first) / 3, 5.5);
    EXPECT_EQ(Bytes(board.Chip().begin(), board.Chip().begin() + 4),
              (Bytes{0xC0, 0xC1, 0xC2, 0xC3}));
}

TEST(Firmware, ReportsAWriteCycleThatNeverEnded) {
    sim::AvrBoardSetup setup = Socket("24C02");
    setup.behaviour.endlessCycleAt = 0x05;
    {
        SimulatedBoard board(setup);
        // The chip takes the byte, so the write is answered as done; the next write finds the
        // cycle never ended and is answered with the complement of its byte.
        board.Send({'T', 0x00, 'C', 0xA0, 'W', 0x05, 0x5A}, 20);
        EXPECT_EQ(board.Answer(), Bytes{0x5A});
        board.Send({'W', 0x06, 0x33}, 60);
        EXPECT_EQ(board.Answer(), Bytes{0xCC});
        board.Send({'F'}, 70);
        EXPECT_EQ(board.Answer(), kVersion);
    }
    {
        SimulatedBoard board(setup);
        // A version request reports it instead, once.
        board.Send({'T', 0x00, 'C', 0xA0, 'W', 0x05, 0x5A}, 20);
        EXPECT_EQ(board.Answer(), Bytes{0x5A});
        board.Send({'F'}, 60);
        EXPECT_EQ(board.Answer(), (Bytes{'K', '2', 'W'}));
        board.Send({'F'}, 70);
        EXPECT_EQ(board.Answer(), kVersion);
    }
}

TEST(Firmware, AnswersARefusedWriteWithTheComplementAtOnce) {
    sim::AvrBoardSetup setup = Socket("24C02");
    setup.behaviour.refuseWriteAt = 0x05;
    SimulatedBoard board(setup);
    board.Send({'T', 0x00, 'C', 0xA0}, 10);
    const double sent = board.Ms();
    board.Send({'W', 0x05, 0x5A}, sent + 10);
    ASSERT_EQ(board.sent, Bytes{0xA5});
    EXPECT_LT(board.sentMs[0] - sent, 3 * kHostByteMs + 0.3);
}

// A command whose next byte is more than 4 ms late was cut off: it is dropped, so that the next
// command, usually 'F' from a fresh detection, is not taken for its missing arguments.
TEST(Firmware, DropsACommandWhoseNextByteIsLate) {
    SimulatedBoard board("24C02");
    board.Send({'T', 0x00, 'C', 0xA0, 'W', 0x05}, 10);
    board.Send({0x46}, 13);  // 3 ms late: still the data byte
    EXPECT_EQ(board.Answer(), Bytes{0x46});
    board.Send({'W', 0x06}, 20);
    board.Send({0x46}, 30);  // 6 ms late: 'F', a command of its own
    EXPECT_EQ(board.Answer(), kVersion);
    EXPECT_EQ(board.Chip()[5], 0x46);
    EXPECT_EQ(board.Chip()[6], 0xFF);
}

TEST(Firmware, EmptySocketReadsFFAndFailsWritesAfter20Ms) {
    SimulatedBoard board(nullptr);
    board.Send({'T', 0x01, 'C', 0xA0, 'R', 0x00, 0x00}, 20);
    const double sent = board.Ms();
    board.Send({'W', 0x00, 0x00, 0x5A}, 100);
    ASSERT_EQ(board.sent, (Bytes{0xFF, 0xA5}));
    // Three bytes on the line (3.1 ms), then 20 ms of asking for an acknowledge.
    const double answeredAfter = board.sentMs[1] - sent;
    EXPECT_GT(answeredAfter, 3 * kHostByteMs + 20);
    EXPECT_LT(answeredAfter, 3 * kHostByteMs + 22);
}

TEST(Firmware, StuckBusGivesBoundedAnswers) {
    sim::AvrBoardSetup setup = Socket("24C256");
    setup.stuckBus = true;
    SimulatedBoard board(setup);
    board.Send({'T', 0x01, 'C', 0xA0, 'R', 0x34, 0x12}, 30);
    board.Send({'W', 0x34, 0x12, 0x00, 'F'}, 80);
    EXPECT_EQ(board.sent, (Bytes{0xFF, 0xFF, 'K', '2', '0'}));
    ASSERT_EQ(board.sentMs.size(), 5u);
    EXPECT_LT(board.sentMs[0], 20.0);
    EXPECT_LT(board.sentMs[1], 50.0);
}

}  // namespace

}  // namespace korvel
