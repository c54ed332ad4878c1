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

// A chip type and its size, and the way korvel-cli speaks to the board: "--slow-bus" (the fast
// link with the chip's bus at 100 kHz), "--original-protocol", or "" (the fast link at 400 kHz).
using Chip = std::tuple<std::string, std::size_t, std::string>;

class EndToEnd : public testing::TestWithParam<Chip> {};

// korvel-cli's arguments, with the way it speaks to the board first where there is one.
std::vector<std::string> Speaking(const std::string& how, std::vector<std::string> args) {
    if (!how.empty()) {
        args.insert(args.begin(), how);
    }
    return args;
}

TEST_P(EndToEnd, WritesVerifiesAndReadsTheWholeChip) {
    const auto [type, size, how] = GetParam();
    TempDir dir;
    SimulatorProcess board({"--chip", type, "--fast"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    const std::vector<std::uint8_t> image = PatternImage(size);
    WriteFileBytes(dir.File("image.bin"), image);

    EXPECT_EQ(Outcome(Cli(Speaking(how, {"detect"}))), "0: COM2: Hardware vK20\n");

    EXPECT_EQ(Outcome(Cli(Speaking(
                  how, {"--device", type, "--in", dir.File("image.bin"), "write", "verify"}))),
              "0: COM2: Hardware vK20\nVerify: Verify ok\n");

    EXPECT_EQ(Cli(Speaking(how, {"--device", type, "--out", dir.File("chip.bin"), "read"})).status,
              0);
    EXPECT_EQ(ReadFileBytes(dir.File("chip.bin")), image);

    board.Stop();
    EXPECT_EQ(board.Dump(), image);
}

INSTANTIATE_TEST_SUITE_P(Chips, EndToEnd,
                         testing::Values(Chip{"24C02", 256, ""}, Chip{"24C16", 2048, ""},
                                         Chip{"24C256", 32768, ""},
                                         Chip{"24C02", 256, "--slow-bus"},
                                         Chip{"24C02", 256, "--original-protocol"},
                                         Chip{"24C16", 2048, "--original-protocol"},
                                         Chip{"24C256", 32768, "--original-protocol"}),
                         [](const auto& info) {
                             const std::string& how = std::get<2>(info.param);
                             return "chip" + std::get<0>(info.param).substr(3) +
                                    (how == "--slow-bus" ? "SlowBus"
                                     : how.empty()       ? "FastLink"
                                                         : "FiveCommands");
                         });

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
// command on the line, nor the board at the fast rate, nor its claim on the port: the next host
// finds the board at once, and the chip holds at each address its old byte or its new one, never
// anything else. The moments are random, from a fixed seed, so that a failure repeats.
class KilledHosts : public testing::TestWithParam<std::string> {};

TEST_P(KilledHosts, LeaveTheChipWholeAndTheBoardReady) {
    const std::string how = GetParam();
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
        const pid_t writer =
            StartCli(Speaking(how, {"-d", "24C02", "--in",
                                    dir.File(std::to_string(1 - trial % 2) + ".bin"), "write"}));
        std::this_thread::sleep_for(delay);
        kill(writer, signal);
        waitpid(writer, nullptr, 0);

        const std::string when = "trial " + std::to_string(trial) + ", signal " +
                                 std::to_string(signal) + " after " +
                                 std::to_string(delay.count()) + " us";
        unlink(dir.File("chip.bin").c_str());
        EXPECT_EQ(Outcome(Cli({"-d", "24C02", "--out", dir.File("chip.bin"), "read"})),
                  "0: COM2: Hardware vK20\n")
            << when;
        const std::vector<std::uint8_t> chip = ReadFileBytes(dir.File("chip.bin"));
        ASSERT_EQ(chip.size(), 256u) << when;
        for (std::size_t address = 0; address < chip.size(); ++address) {
            ASSERT_TRUE(chip[address] == images[0][address] || chip[address] == images[1][address])
                << when << ": address " << address << " holds " << int{chip[address]};
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, KilledHosts, testing::Values("", "--original-protocol"),
                         [](const auto& info) {
                             return info.param.empty() ? "FastLink" : "FiveCommands";
                         });

// The fast link tells an empty socket from a chip: nothing acknowledges the chip. The five
// commands cannot tell: the empty bus reads 0xFF, and a write gets no answer to its byte.
TEST(EndToEndFaults, AnEmptySocketIsAnErrorOnTheFastLink) {
    TempDir dir;
    SimulatorProcess board({"--no-chip", "--fast"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    WriteFileBytes(dir.File("image.bin"), PatternImage(256));

    EXPECT_EQ(Outcome(Cli({"--device", "24C02", "--out", dir.File("chip.bin"), "read"})),
              "1: COM2: Hardware vK20\nError: No chip answers !\n");
    EXPECT_EQ(Outcome(Cli({"--device", "24C02", "--in", dir.File("image.bin"), "write"})),
              "1: COM2: Hardware vK20\nError: No chip answers !\n");

    const std::string five = "--original-protocol";
    EXPECT_EQ(Cli({five, "--device", "24C02", "--out", dir.File("chip.bin"), "read"}).status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("chip.bin")), std::vector<std::uint8_t>(256, 0xFF));
    EXPECT_EQ(Outcome(Cli({five, "--device", "24C02", "--in", dir.File("image.bin"), "write"})),
              "1: COM2: Hardware vK20\nWrite: Write error !\n");
}

// The chip address reaches the chip through the firmware both ways of speaking: a chip wired
// elsewhere does not answer.
TEST(EndToEndFaults, AChipAnswersAtItsOwnAddressOnly) {
    TempDir dir;
    WriteFileBytes(dir.File("image.bin"), PatternImage(4096, 3));
    SimulatorProcess board(
        {"--chip", "24C32", "--chip-address", "6", "--fast", "--image", dir.File("image.bin")},
        KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    for (const std::string how : {"--slow-bus", "--original-protocol"}) {
        EXPECT_EQ(Outcome(Cli({how, "-d", "24C32", "--chip-address", "6", "--length", "300", "--in",
                               dir.File("image.bin"), "verify"})),
                  "0: COM2: Hardware vK20\nVerify: Verify ok\n")
            << how;
    }
    EXPECT_EQ(Outcome(Cli({"-d", "24C32", "--chip-address", "2", "blank"})),
              "1: COM2: Hardware vK20\nError: No chip answers !\n");
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
              "1: COM2: Hardware vK20\nError: No chip answers !\n");
    EXPECT_EQ(Outcome(Cli({"--device", "24C256", "blank"})),
              "1: COM2: Hardware vK20\nError: No chip answers !\n");

    // With the five commands every read gives 0xFF: a chip that reads blank, whose verify fails
    // at once, and no write is answered with its byte.
    const std::string five = "--original-protocol";
    EXPECT_EQ(Outcome(Cli({five, "--device", "24C256", "--in", dir.File("image.bin"), "write"})),
              "1: COM2: Hardware vK20\nWrite: Write error !\n");
    WriteFileBytes(dir.File("small.bin"), PatternImage(256));
    EXPECT_EQ(
        Outcome(Cli({five, "--device", "24C02", "--in", dir.File("small.bin"), "blank", "verify"})),
        "1: COM2: Hardware vK20\nBlank check: Device is blank\n"
        "Verify: Verify failed ! First error at addr 0h\n");
}

}  // namespace

}  // namespace korvel
