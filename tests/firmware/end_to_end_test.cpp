// korvel-cli, the host, against the board's own firmware running on a simulated ATmega328P with a
// 24Cxx chip model, over a pseudo-terminal.
#include <gtest/gtest.h>

#include "tests/support/BoardSession.h"
#include "tests/support/ToolRun.h"

namespace korvel {

namespace {

// A chip type and its size.
using Chip = std::pair<std::string, std::size_t>;

class EndToEnd : public testing::TestWithParam<Chip> {};

TEST_P(EndToEnd, WritesVerifiesAndReadsTheWholeChip) {
    const auto [type, size] = GetParam();
    TempDir dir;
    SimulatorProcess board({"--chip", type, "--fast"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    const std::vector<std::uint8_t> image = PatternImage(size);
    WriteFileBytes(dir.File("image.bin"), image);

    EXPECT_EQ(Outcome(Cli({"detect"})), "0: COM2: Hardware vK20\n");

    EXPECT_EQ(Outcome(Cli({"--device", type, "--in", dir.File("image.bin"), "write", "verify"})),
              "0: COM2: Hardware vK20\nVerify: Verify ok\n");

    EXPECT_EQ(Cli({"--device", type, "--out", dir.File("chip.bin"), "read"}).status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("chip.bin")), image);

    board.Stop();
    EXPECT_EQ(board.Dump(), image);
}

INSTANTIATE_TEST_SUITE_P(Chips, EndToEnd,
                         testing::Values(Chip{"24C02", 256}, Chip{"24C16", 2048},
                                         Chip{"24C256", 32768}),
                         [](const auto& info) { return "chip" + info.param.first.substr(3); });

TEST(EndToEndFaults, EmptySocketReadsFFAndFailsToWrite) {
    TempDir dir;
    SimulatorProcess board({"--no-chip", "--fast"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    WriteFileBytes(dir.File("image.bin"), PatternImage(256));

    EXPECT_EQ(Cli({"--device", "24C02", "--out", dir.File("chip.bin"), "read"}).status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("chip.bin")), std::vector<std::uint8_t>(256, 0xFF));

    EXPECT_EQ(Outcome(Cli({"--device", "24C02", "--in", dir.File("image.bin"), "write"})),
              "1: COM2: Hardware vK20\nWrite: Write error !\n");
}

// A chip of the old kind with a write cycle of 10 ms, one whose write cycle never ends at an
// address (the board finds out at the next write, and answers that one with the complement),
// and one that refuses data for an address.
TEST(EndToEndFaults, ChipsThatWriteSlowlyOrNotAtAll) {
    const struct {
        std::vector<std::string> options;
        const char* outcome;
    } chips[] = {
        {{"--write-cycle-ms", "10"}, "0: COM2: Hardware vK20\nVerify: Verify ok\n"},
        {{"--endless-cycle-at", "0x10"}, "1: COM2: Hardware vK20\nWrite: Write error !\n"},
        {{"--refuse-write-at", "0x10"}, "1: COM2: Hardware vK20\nWrite: Write error !\n"},
    };
    TempDir dir;
    WriteFileBytes(dir.File("image.bin"), PatternImage(256));
    for (const auto& chip : chips) {
        std::vector<std::string> options = {"--chip", "24C02", "--fast"};
        options.insert(options.end(), chip.options.begin(), chip.options.end());
        SimulatorProcess board(options, KORVEL_AVRBOARD);
        ASSERT_TRUE(board.Started());
        EXPECT_EQ(
            Outcome(Cli({"--device", "24C02", "--in", dir.File("image.bin"), "write", "verify"})),
            chip.outcome)
            << chip.options.front();
    }
}

TEST(EndToEndFaults, StuckBusEndsWithAnErrorInsteadOfHanging) {
    TempDir dir;
    SimulatorProcess board({"--stuck-bus", "--fast"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    WriteFileBytes(dir.File("image.bin"), PatternImage(32768));

    EXPECT_EQ(Outcome(Cli({"--device", "24C256", "--in", dir.File("image.bin"), "write"})),
              "1: COM2: Hardware vK20\nWrite: Write error !\n");

    // Every read gives 0xFF: a chip that reads blank, whose verify fails at once.
    WriteFileBytes(dir.File("small.bin"), PatternImage(256));
    EXPECT_EQ(Outcome(Cli({"--device", "24C02", "--in", dir.File("small.bin"), "blank", "verify"})),
              "1: COM2: Hardware vK20\nBlank check: Device is blank\n"
              "Verify: Verify failed ! First error at addr 0h\n");
}

}  // namespace

}  // namespace korvel
