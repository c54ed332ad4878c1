// korvel-cli, the host, against the board's own firmware running on a simulated ATmega328P with a
// 24Cxx chip model, over a pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

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

    EXPECT_EQ(Outcome(Cli({"detect"})), "0: COM2: Hardware v1.0\n");

    EXPECT_EQ(Outcome(Cli({"--device", type, "--in", dir.File("image.bin"), "write", "verify"})),
              "0: COM2: Hardware v1.0\nVerify: Verify ok\n");

    EXPECT_EQ(Cli({"--device", type, "--out", dir.File("chip.bin"), "read"}).status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("chip.bin")), image);

    board.Stop();
    EXPECT_EQ(board.Dump(), image);
}

INSTANTIATE_TEST_SUITE_P(Chips, EndToEnd,
                         testing::Values(Chip{"24C02", 256}, Chip{"24C16", 2048},
                                         Chip{"24C256", 32768}),
                         [](const auto& info) { return "chip" + info.param.first.substr(3); });

// korvel-cli started with these arguments and its output thrown away, not waited for.
pid_t StartCli(std::vector<std::string> args) {
    args.insert(args.begin(), KORVEL_CLI);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_RDWR);
        for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
            dup2(null, fd);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

// A host ended at any moment of a write, by SIGTERM, SIGINT or SIGKILL, leaves neither half a
// command on the line nor its claim on the port: the next host finds the board at once, and the
// chip holds at each address its old byte or its new one, never anything else. The moments are
// random, from a fixed seed, so that a failure repeats.
TEST(EndToEndFaults, HostsKilledInTheMiddleOfAWriteLeaveTheChipWhole) {
    TempDir dir;
    // Two images that differ at every address, with no byte below 0x80: no command letter.
    std::vector<std::uint8_t> images[2] = {PatternImage(256, 5), {}};
    for (std::uint8_t& byte : images[0]) {
        byte |= 0x80;
        images[1].push_back(byte ^ 0x55);
    }
    WriteFileBytes(dir.File("0.bin"), images[0]);
    WriteFileBytes(dir.File("1.bin"), images[1]);
    SimulatorProcess board({"--chip", "24C02", "--fast", "--image", dir.File("0.bin")},
                           KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());

    std::mt19937 random(2);
    const int signals[] = {SIGTERM, SIGINT, SIGKILL};
    for (int trial = 0; trial < 60 && !HasFailure(); ++trial) {
        const int signal = signals[random() % 3];
        const auto delay = std::chrono::microseconds(random() % 250'000);
        const pid_t writer = StartCli(
            {"-d", "24C02", "--in", dir.File(std::to_string(1 - trial % 2) + ".bin"), "write"});
        std::this_thread::sleep_for(delay);
        kill(writer, signal);
        waitpid(writer, nullptr, 0);

        const std::string when = "trial " + std::to_string(trial) + ", signal " +
                                 std::to_string(signal) + " after " +
                                 std::to_string(delay.count()) + " us";
        unlink(dir.File("chip.bin").c_str());
        EXPECT_EQ(Outcome(Cli({"-d", "24C02", "--out", dir.File("chip.bin"), "read"})),
                  "0: COM2: Hardware v1.0\n")
            << when;
        const std::vector<std::uint8_t> chip = ReadFileBytes(dir.File("chip.bin"));
        ASSERT_EQ(chip.size(), 256u) << when;
        for (std::size_t address = 0; address < chip.size(); ++address) {
            ASSERT_TRUE(chip[address] == images[0][address] || chip[address] == images[1][address])
                << when << ": address " << address << " holds " << int{chip[address]};
        }
    }
}

TEST(EndToEndFaults, EmptySocketReadsFFAndFailsToWrite) {
    TempDir dir;
    SimulatorProcess board({"--no-chip", "--fast"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    WriteFileBytes(dir.File("image.bin"), PatternImage(256));

    EXPECT_EQ(Cli({"--device", "24C02", "--out", dir.File("chip.bin"), "read"}).status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("chip.bin")), std::vector<std::uint8_t>(256, 0xFF));

    EXPECT_EQ(Outcome(Cli({"--device", "24C02", "--in", dir.File("image.bin"), "write"})),
              "1: COM2: Hardware v1.0\nWrite: Write error !\n");
}

TEST(EndToEndFaults, StuckBusEndsWithAnErrorInsteadOfHanging) {
    TempDir dir;
    SimulatorProcess board({"--stuck-bus", "--fast"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    WriteFileBytes(dir.File("image.bin"), PatternImage(32768));

    EXPECT_EQ(Outcome(Cli({"--device", "24C256", "--in", dir.File("image.bin"), "write"})),
              "1: COM2: Hardware v1.0\nWrite: Write error !\n");

    // Every read gives 0xFF: a chip that reads blank, whose verify fails at once.
    WriteFileBytes(dir.File("small.bin"), PatternImage(256));
    EXPECT_EQ(Outcome(Cli({"--device", "24C02", "--in", dir.File("small.bin"), "blank", "verify"})),
              "1: COM2: Hardware v1.0\nBlank check: Device is blank\n"
              "Verify: Verify failed ! First error at addr 0h\n");
}

}  // namespace

}  // namespace korvel
