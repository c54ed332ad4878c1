// korvel-cli, the host, against the board's own firmware running on a simulated ATmega328P with a
// 24Cxx chip model, over a pseudo-terminal.
#include <gtest/gtest.h>

#include "tests/support/CliRun.h"
#include "tests/support/SimulatorProcess.h"

namespace korvel {

namespace {

// Every byte value, in an order that differs from block to block, so that a byte written to a
// wrong address or block shows.
std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t a = 0; a < size; ++a) {
        bytes[a] = static_cast<std::uint8_t>(a * 7 + 3 + (a >> 8) * 13);
    }
    return bytes;
}

struct ChipCase {
    const char* type;
    std::size_t size;
};

void PrintTo(const ChipCase& chip, std::ostream* out) {
    *out << chip.type;
}

class EndToEnd : public testing::TestWithParam<ChipCase> {};

TEST_P(EndToEnd, WritesVerifiesAndReadsTheWholeChip) {
    const ChipCase chip = GetParam();
    TempDir dir;
    const std::vector<std::uint8_t> image = Pattern(chip.size);
    WriteFileBytes(dir.File("image.bin"), image);
    SimulatorProcess board({"--chip", chip.type, "--fast"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    board.ServeAsPort(2);

    const CliRun detect = Cli({"detect"});
    EXPECT_EQ(detect.status, 0);
    EXPECT_EQ(detect.out, "COM2: Hardware v1.0\n");

    const CliRun written =
        Cli({"--device", chip.type, "--in", dir.File("image.bin"), "write", "verify"});
    EXPECT_EQ(written.status, 0);
    EXPECT_EQ(written.out, "COM2: Hardware v1.0\nVerify: Verify ok\n");

    const CliRun read = Cli({"--device", chip.type, "--out", dir.File("chip.bin"), "read"});
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("chip.bin")), image);

    board.Stop();
    EXPECT_EQ(board.Dump(), image);
}

INSTANTIATE_TEST_SUITE_P(Chips, EndToEnd,
                         testing::Values(ChipCase{"24C02", 256}, ChipCase{"24C16", 2048},
                                         ChipCase{"24C256", 32768}),
                         [](const testing::TestParamInfo<ChipCase>& info) {
                             return std::string("chip") + (info.param.type + 3);
                         });

TEST(EndToEndFaults, EmptySocketReadsFFAndFailsToWrite) {
    TempDir dir;
    WriteFileBytes(dir.File("image.bin"), Pattern(256));
    SimulatorProcess board({"--no-chip", "--fast"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    board.ServeAsPort(2);

    const CliRun read = Cli({"--device", "24C02", "--out", dir.File("chip.bin"), "read"});
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("chip.bin")), std::vector<std::uint8_t>(256, 0xFF));

    const CliRun written = Cli({"--device", "24C02", "--in", dir.File("image.bin"), "write"});
    EXPECT_EQ(written.status, 1);
    EXPECT_EQ(written.out, "COM2: Hardware v1.0\nWrite: Write error !\n");
}

TEST(EndToEndFaults, StuckBusEndsWithAnErrorInsteadOfHanging) {
    TempDir dir;
    WriteFileBytes(dir.File("image.bin"), Pattern(32768));
    SimulatorProcess board({"--stuck-bus", "--fast"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    board.ServeAsPort(2);

    const CliRun written = Cli({"--device", "24C256", "--in", dir.File("image.bin"), "write"});
    EXPECT_EQ(written.status, 1);
    EXPECT_EQ(written.out, "COM2: Hardware v1.0\nWrite: Write error !\n");

    // Every read gives 0xFF: a chip that reads blank, whose verify fails at once.
    WriteFileBytes(dir.File("small.bin"), Pattern(256));
    const CliRun verify =
        Cli({"--device", "24C02", "--in", dir.File("small.bin"), "blank", "verify"});
    EXPECT_EQ(verify.status, 1);
    EXPECT_EQ(verify.out,
              "COM2: Hardware v1.0\nBlank check: Device is blank\n"
              "Verify: Verify failed ! First error at addr 0h\n");
}

}  // namespace

}  // namespace korvel
