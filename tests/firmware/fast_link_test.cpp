// The fast link of the board's firmware, on the simulated ATmega328P in simulated time: frames
// written out byte by byte with their CRCs (CRC-16/CCITT-FALSE, low byte first).
#include <gtest/gtest.h>

#include "protocol/FastLink.h"
#include "tests/firmware/SimulatedBoard.h"

namespace korvel {

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kPing = {'P', 0x05, 0xBB};
const Bytes kQuit = {'Q', 0x24, 0xAB};
const Bytes kSetupDone = {'M', 0x99, 0x78};
const Bytes kVersion = {'K', '2', '0'};

// Two address bytes, select 0xA0, 400 kHz, pages of 64 bytes; the same at 100 kHz.
const Bytes kSetup24C256 = {'M', 0x02, 0xA0, 0x01, 0x40, 0x1F, 0x0A};
const Bytes kSetup24C256At100kHz = {'M', 0x02, 0xA0, 0x00, 0x40, 0x2E, 0x39};
// One address byte, 400 kHz, pages of 16; one address byte, 100 kHz, pages of 8.
const Bytes kSetup24C16 = {'M', 0x01, 0xA0, 0x01, 0x10, 0x36, 0xCB};
const Bytes kSetup24C02 = {'M', 0x01, 0xA0, 0x00, 0x08, 0x3E, 0x6B};

// 'W' at 0x0010, eight bytes, and its answers by status.
const Bytes kWrite0010 = {'W',  0x10, 0x00, 0x08, 0x10, 0x21, 0x32,
                          0x43, 0x54, 0x65, 0x76, 0x87, 0xF4, 0x26};
const Bytes kWritten0010 = {'W', 0x00, 0x10, 0x00, 0xA5, 0xA3};
const Bytes kNoChip0010 = {'W', 0x01, 0x10, 0x00, 0x95, 0x94};
const Bytes kFailed0010 = {'W', 0x02, 0x10, 0x00, 0xC5, 0xCD};
const Bytes kStuck0010 = {'W', 0x03, 0x10, 0x00, 0xF5, 0xFA};

// 'R' of four bytes at 0x0000.
const Bytes kRead0000 = {'R', 0x00, 0x00, 0x04, 0x17, 0x5C};

constexpr double kByteMs = 0.020;  // 10 bits at 500000 baud
constexpr double kTurnMs = 0.1;    // a host turns its line round after the board's last byte

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

// `count` bytes counting up from `first`.
Bytes Counting(std::uint8_t first, int count) {
    Bytes bytes;
    for (int i = 0; i < count; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(first + i));
    }
    return bytes;
}

// The switch at 9600 baud, the host at 500000 once the board's 'S' is in.
void SwitchUp(SimulatedBoard& board) {
    board.Send({'S', 0x01}, board.Ms() + 4);
    ASSERT_EQ(board.Answer(), Bytes{'S'});
    board.HostBaud(500'000);
}

// Sends a frame at once and runs for `ms` more.
Bytes Exchange(SimulatedBoard& board, const Bytes& frame, double ms = 2) {
    board.Send(frame, board.Ms() + ms);
    return board.Answer();
}

// The CRCs written out here, the firmware's and the host's are all CRC-16/CCITT-FALSE, whose
// check value is 0x29B1.
TEST(FastLink, TheHostsCrcIsTheStandardOne) {
    const std::uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(protocol::Crc16(check, sizeof check), 0x29B1);
    EXPECT_EQ(protocol::Crc16(&kPing[0], 1), 0xBB05);
}

TEST(FastLink, SwitchesOnRequestAndAnswersAPing) {
    SimulatedBoard board("24C02");
    EXPECT_EQ(Exchange(board, {'F'}, 5), kVersion);
    EXPECT_EQ(Exchange(board, {'S', 0x02}, 5), Bytes{});  // no rate of the board's
    EXPECT_EQ(board.BoardBaud(), 9615);

    const double asked = board.Ms();
    board.Send({'S', 0x01}, asked + 4);
    ASSERT_EQ(board.sent, Bytes{'S'});
    // The answer comes after the two bytes of the request, at 9600 baud; the board changes
    // its rate once it is out.
    EXPECT_NEAR(board.sentMs[0] - asked, 2.10, 0.05);
    EXPECT_EQ(board.BoardBaud(), 500'000);
    board.Answer();

    board.HostBaud(500'000);
    const double pinged = board.Ms();
    board.Send(kPing, pinged + 1);
    EXPECT_EQ(board.sent, kPing);
    ASSERT_EQ(board.sentMs.size(), 3u);
    EXPECT_LT(board.sentMs[0] - pinged, 3 * kByteMs + 0.1);
    EXPECT_NEAR(board.sentMs[1] - board.sentMs[0], kByteMs, 0.0001);
    EXPECT_NEAR(board.sentMs[2] - board.sentMs[1], kByteMs, 0.0001);
}

TEST(FastLink, GoesBackTo9600AfterQ) {
    SimulatedBoard board("24C02");
    SwitchUp(board);
    EXPECT_EQ(Exchange(board, kQuit), kQuit);
    EXPECT_EQ(board.BoardBaud(), 9615);
    board.RunUntilMs(board.Ms() + kTurnMs);
    board.HostBaud(9600);
    EXPECT_EQ(Exchange(board, {'F'}, 5), kVersion);
}

TEST(FastLink, GoesBackTo9600After40MsWithoutAFrame) {
    SimulatedBoard board("24C02");
    SwitchUp(board);
    const double switched = board.Ms();
    board.RunUntilMs(switched + 39);
    EXPECT_EQ(Exchange(board, kPing, 1), kPing);
    // The ping starts the 40 ms again; damaged frames do not.
    const double pinged = board.Ms();
    board.Send({'P', 0x05, 0xBC}, pinged + 20);
    board.Send({'P', 0x05, 0xBC}, pinged + 39);
    EXPECT_EQ(board.BoardBaud(), 500'000);
    board.RunUntilMs(pinged + 41.5);
    EXPECT_EQ(board.BoardBaud(), 9615);
    EXPECT_EQ(board.Answer(), Bytes{});

    board.HostBaud(9600);
    EXPECT_EQ(Exchange(board, {'F'}, 5), kVersion);
}

TEST(FastLink, GoesBackTo9600AtOnceWhenTheHostSpeaks9600) {
    SimulatedBoard board("24C02");
    SwitchUp(board);
    EXPECT_EQ(Exchange(board, kPing), kPing);

    // A host started afresh asks for the version at 9600 baud: to the board at 500000 the
    // byte has no stop bit where it should. That byte is lost; the next one is taken.
    board.HostBaud(9600);
    const double asked = board.Ms();
    board.Send({'F'}, asked + 0.1);
    EXPECT_EQ(board.BoardBaud(), 9615);
    board.RunUntilMs(asked + 3);
    EXPECT_EQ(board.Answer(), Bytes{});
    EXPECT_EQ(Exchange(board, {'F'}, 5), kVersion);
}

TEST(FastLink, HostAtAnotherRateHearsFramingErrors) {
    SimulatedBoard board("24C02");
    SwitchUp(board);
    // The host asks at 500000 baud but listens at 9600: the three bytes of the answer, 60 us
    // in all, come to it as one byte with a framing error, a zero.
    board.Send(kPing, board.Ms());
    board.HostBaud(9600);
    board.RunUntilMs(board.Ms() + 2);
    EXPECT_EQ(board.Answer(), Bytes{0x00});

    // And a board back at 9600 takes bytes at 500000 for framing errors, and nothing else.
    board.HostBaud(500'000);
    EXPECT_EQ(Exchange(board, kQuit), kQuit);
    EXPECT_EQ(Exchange(board, {'F'}, 5), Bytes{});
    board.HostBaud(9600);
    EXPECT_EQ(Exchange(board, {'F'}, 5), kVersion);
}

TEST(FastLink, TakesTheChipSetupAndRefusesImpossibleOnes) {
    SimulatedBoard board("24C256");
    SwitchUp(board);
    EXPECT_EQ(Exchange(board, kRead0000), Bytes{});  // no chip named yet
    const Bytes impossible[] = {
        {'M', 0x02, 0xA0, 0x01, 0x03, 0xB8, 0x72},  // pages of 3 bytes
        {'M', 0x03, 0xA0, 0x01, 0x40, 0xAB, 0x7C},  // three address bytes
        {'M', 0x02, 0xA1, 0x01, 0x40, 0x2F, 0x3D},  // the read bit set
        {'M', 0x02, 0xA0, 0x02, 0x40, 0x4C, 0x5F},  // no such bus rate
    };
    for (const Bytes& setup : impossible) {
        EXPECT_EQ(Exchange(board, setup), Bytes{});
    }
    EXPECT_EQ(Exchange(board, kSetup24C256), kSetupDone);
    EXPECT_EQ(Exchange(board, kRead0000),
              (Bytes{'R', 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x33, 0xEC}));
}

TEST(FastLink, ReadsABlockInOneSequentialRead) {
    sim::AvrBoardSetup setup = Socket("24C256");
    setup.contents.assign(0x8000, 0xFF);
    const Bytes block = {0x4B, 0x6F, 0x72, 0x76, 0x65, 0x6C, 0x00, 0xFF,
                         0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    std::copy(block.begin(), block.end(), setup.contents.begin() + 0x1230);
    SimulatedBoard board(setup);
    SwitchUp(board);
    EXPECT_EQ(Exchange(board, kSetup24C256), kSetupDone);
    EXPECT_EQ(Exchange(board, {'R', 0x30, 0x12, 0x10, 0x16, 0xAE}),
              (Bytes{'R',  0x00, 0x30, 0x12, 0x4B, 0x6F, 0x72, 0x76, 0x65, 0x6C, 0x00,
                     0xFF, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xC6}));

    // No block crosses a 256-byte boundary, none is empty or longer than 64 bytes.
    EXPECT_EQ(Exchange(board, {'R', 0xF8, 0x12, 0x10, 0x40, 0x21}), Bytes{});
    EXPECT_EQ(Exchange(board, {'R', 0x30, 0x12, 0x00, 0x27, 0xBC}), Bytes{});
    EXPECT_EQ(Exchange(board, {'R', 0x30, 0x12, 0x41, 0xC2, 0xE4}), Bytes{});
}

TEST(FastLink, ReadsTheBlockOfAChipWithOneAddressByteThroughTheDeviceAddress) {
    sim::AvrBoardSetup setup = Socket("24C16");
    setup.contents.assign(0x800, 0xFF);
    const Bytes block = {0x24, 0x43, 0x31, 0x36, 0xA5, 0x5A, 0x0F, 0xF0};
    std::copy(block.begin(), block.end(), setup.contents.begin() + 0x5F0);
    SimulatedBoard board(setup);
    SwitchUp(board);
    EXPECT_EQ(Exchange(board, kSetup24C16), kSetupDone);
    EXPECT_EQ(
        Exchange(board, {'R', 0xF0, 0x05, 0x08, 0x3C, 0x81}),
        (Bytes{'R', 0x00, 0xF0, 0x05, 0x24, 0x43, 0x31, 0x36, 0xA5, 0x5A, 0x0F, 0xF0, 0x4B, 0xCE}));
}

TEST(FastLink, DropsDamagedAndCutOffFrames) {
    SimulatedBoard board("24C256");
    SwitchUp(board);
    EXPECT_EQ(Exchange(board, {'P', 0x05, 0xBC}), Bytes{});  // one bit of the CRC wrong
    EXPECT_EQ(Exchange(board, kPing), kPing);

    // A frame whose next byte is more than 2 ms late is dropped with what came of it.
    EXPECT_EQ(Exchange(board, {'M', 0x02, 0xA0, 0x01}, 3), Bytes{});
    EXPECT_EQ(Exchange(board, {0x40, 0x1F, 0x0A}, 3), Bytes{});
    EXPECT_EQ(Exchange(board, kPing), kPing);

    // No frame starts with 'X': what follows it is dropped until the line is quiet.
    EXPECT_EQ(Exchange(board, Join({{'X'}, kPing}), 4), Bytes{});
    EXPECT_EQ(Exchange(board, kPing), kPing);
}

TEST(FastLink, WritesAPageAndAnswersOnceTheWriteCycleIsOver) {
    SimulatedBoard board("24C02");
    SwitchUp(board);
    EXPECT_EQ(Exchange(board, kSetup24C02), kSetupDone);
    const double sent = board.Ms();
    board.Send(kWrite0010, sent + 10);
    EXPECT_EQ(board.sent, kWritten0010);
    // 14 bytes on the line (0.28 ms), the page on the bus at 100 kHz (start, device address,
    // address, 8 bytes: 91 clocks, 0.91 ms), the chip's write cycle of 5 ms, the poll that finds
    // it over (0.1 ms).
    const double answeredAfter = board.sentMs[0] - sent;
    EXPECT_GT(answeredAfter, 0.28 + 0.91 + 5 + 0.1);
    EXPECT_LT(answeredAfter, 6.6);
    EXPECT_EQ(Bytes(board.Chip().begin() + 0x10, board.Chip().begin() + 0x18),
              (Bytes{0x10, 0x21, 0x32, 0x43, 0x54, 0x65, 0x76, 0x87}));
    board.Answer();

    // More bytes than a page, or a page's worth across its end, are no page write.
    EXPECT_EQ(Exchange(board,
                       {'W', 0x10, 0x00, 0x09, 0x10, 0x21, 0x32, 0x43, 0x54, 0x65, 0x76, 0x87, 0x98,
                        0x50, 0xDD},
                       10),
              Bytes{});
    EXPECT_EQ(Exchange(board,
                       {'W', 0x14, 0x00, 0x08, 0x10, 0x21, 0x32, 0x43, 0x54, 0x65, 0x76, 0x87, 0xB3,
                        0x77},
                       10),
              Bytes{});
    EXPECT_EQ(board.Chip()[0x18], 0xFF);
}

// The host sends the next frame before the answer to the one before; the board works on one
// while the other travels.
TEST(FastLink, ReadsTheNextBlockWhileTheLastOneGoesOut) {
    sim::AvrBoardSetup setup = Socket("24C256");
    setup.contents = Join({Counting(0x00, 64), Counting(0x40, 64)});
    SimulatedBoard board(setup);
    SwitchUp(board);
    EXPECT_EQ(Exchange(board, kSetup24C256), kSetupDone);
    board.Send(Join({{'R', 0x00, 0x00, 0x40, 0x57, 0x54}, {'R', 0x40, 0x00, 0x40, 0xFA, 0x49}}),
               board.Ms() + 8);
    EXPECT_EQ(board.sent, Join({{'R', 0x00, 0x00, 0x00},
                                Counting(0x00, 64),
                                {0xC9, 0xB0},
                                {'R', 0x00, 0x40, 0x00},
                                Counting(0x40, 64),
                                {0xBD, 0x03}}));
    ASSERT_EQ(board.sentMs.size(), 140u);
    // A block takes 1.54 ms on the bus at 400 kHz, an answer 1.4 ms on the line: the second
    // block was read while the first answer went out.
    EXPECT_LT(board.sentMs[70] - board.sentMs[0], 1.54 + 0.4);
}

TEST(FastLink, TakesTheNextPageWhileTheChipWritesTheLastOne) {
    SimulatedBoard board("24C256");
    SwitchUp(board);
    EXPECT_EQ(Exchange(board, kSetup24C256), kSetupDone);
    board.Send(Join({{'W', 0x00, 0x00, 0x40},
                     Counting(0x00, 64),
                     {0xDD, 0xBE},
                     {'W', 0x40, 0x00, 0x40},
                     Counting(0x40, 64),
                     {0x9E, 0xCA}}),
               board.Ms() + 20);
    EXPECT_EQ(board.sent, Join({{'W', 0x00, 0x00, 0x00, 0xD6, 0xA0},  //
                                {'W', 0x00, 0x40, 0x00, 0x1A, 0xAD}}));
    ASSERT_EQ(board.sentMs.size(), 12u);
    // Between the answers: the second page on the bus (1.51 ms at 400 kHz) and its write cycle
    // (5 ms); its frame came in while the first page's cycle ran.
    const double between = board.sentMs[6] - board.sentMs[0];
    EXPECT_GT(between, 1.51 + 5);
    EXPECT_LT(between, 1.51 + 5 + 0.3);
    EXPECT_EQ(Bytes(board.Chip().begin(), board.Chip().begin() + 128),
              Join({Counting(0x00, 64), Counting(0x40, 64)}));
}

TEST(FastLink, RunsTheBusAtTheRateTheSetupNames) {
    SimulatedBoard board("24C256");
    SwitchUp(board);
    const Bytes read64 = {'R', 0x00, 0x00, 0x40, 0x57, 0x54};
    // Start, device address, two address bytes, repeated start, device address, 64 bytes: 614
    // clocks, 2.5 us each at 400 kHz and 10 us at 100 kHz, from the frame's end to its answer.
    const struct {
        const Bytes& setup;
        double busMs;
    } rates[] = {{kSetup24C256, 1.535}, {kSetup24C256At100kHz, 6.14}};
    for (const auto& rate : rates) {
        EXPECT_EQ(Exchange(board, rate.setup), kSetupDone);
        const double sent = board.Ms();
        board.Send(read64, sent + 10);
        ASSERT_EQ(board.sent.size(), 70u);
        const double answeredAfter = board.sentMs[0] - (sent + 6 * kByteMs);
        EXPECT_GT(answeredAfter, rate.busMs);
        EXPECT_LT(answeredAfter, rate.busMs * 1.2);
        board.Answer();
    }
}

TEST(FastLink, StatusesTellWhatWentWrong) {
    {
        SimulatedBoard board(nullptr);
        SwitchUp(board);
        EXPECT_EQ(Exchange(board, kSetup24C02), kSetupDone);
        EXPECT_EQ(Exchange(board, kRead0000),
                  (Bytes{'R', 0x01, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x52, 0x54}));
        EXPECT_EQ(Exchange(board, kWrite0010), kNoChip0010);
    }
    {
        sim::AvrBoardSetup setup = Socket("24C02");
        setup.behaviour.refuseWriteAt = 0x13;
        SimulatedBoard board(setup);
        SwitchUp(board);
        EXPECT_EQ(Exchange(board, kSetup24C02), kSetupDone);
        EXPECT_EQ(Exchange(board, kWrite0010), kFailed0010);  // at once, no write cycle
    }
    {
        sim::AvrBoardSetup setup = Socket("24C02");
        setup.behaviour.endlessCycleAt = 0x13;
        SimulatedBoard board(setup);
        SwitchUp(board);
        EXPECT_EQ(Exchange(board, kSetup24C02), kSetupDone);
        const double sent = board.Ms();
        board.Send(kWrite0010, sent + 30);
        EXPECT_EQ(board.sent, kFailed0010);
        EXPECT_NEAR(board.sentMs[0] - sent, 0.28 + 0.91 + 20, 0.5);  // 20 ms of polling
    }
    {
        sim::AvrBoardSetup setup = Socket("24C02");
        setup.stuckBus = true;
        SimulatedBoard board(setup);
        SwitchUp(board);
        EXPECT_EQ(Exchange(board, kSetup24C02), kSetupDone);
        EXPECT_EQ(Exchange(board, kRead0000, 5),
                  (Bytes{'R', 0x03, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xB1, 0x34}));
        EXPECT_EQ(Exchange(board, kWrite0010, 5), kStuck0010);
    }
}

}  // namespace

}  // namespace korvel
