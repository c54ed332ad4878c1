// The board simulator under bad use: a host that never reads, and numbers and files that make
// no sense. And korvel-cli against a board that answers at random: right, wrong, late, too much,
// not at all, or goes away. Whatever it does, every run ends in time, with a status of 0 or 1 and
// only the program's own messages, and a save that did not happen leaves the old file as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/support/BoardSession.h"
#include "tests/support/Bounded.h"
#include "tests/support/ToolRun.h"
#include "tools/launch/SimulatorProcess.h"

namespace korvel {

namespace {

// A flood the host never reads fills the line; SIGTERM still ends the simulator, link and all.
TEST(BoardSimulator, StopsWhileItsRepliesCannotBeDelivered) {
    EXPECT_TRUE(EndsWithin(5000, [] {
        SimulatorProcess sim({"--chip", "24C02", "--flood-after", "0"});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sim.Stop();
        return !std::filesystem::exists(std::filesystem::symlink_status(sim.Link()));
    }));
}

TEST(BoardSimulator, RefusesAbsurdNumbersImagesThatAreNoFilesAndOptionsOfTheOtherBoard) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    const std::vector<std::vector<std::string>> mistakes = {
        {"--delay-ms", "9223372036854775807"},
        {"--silent-after", "-5"},
        {"--latency-ms", "1x"},
        {"--image", dir.path().string()},
        {"--image", dir.File("pipe")},
        {"--image", "/dev/zero"},
        {"--open-board", "--flip-every", "0"},
        {"--flip-every", "20"},  // only the open board has a fast line to damage
        {"--endless-cycle-at", "0x23"},
        {"--open-board", "--board-version", "2.1"},
    };
    for (std::vector<std::string> options : mistakes) {
        options.insert(options.begin(), {KORVEL_BOARDSIM, "--link", dir.File("port")});
        EXPECT_TRUE(EndsWithin(3000, [&] { return RunTool(options).status == 2; })) << options[3];
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("port")));
}

// The chip's image in any of korvel-cli's formats, chosen by the file's extension as korvel-cli
// chooses it; the gaps of a text image stay erased, and a damaged one is refused.
TEST(BoardSimulator, ReadsTheChipsImageInTheFormatItsExtensionNames) {
    TempDir dir;
    std::ofstream(dir.File("chip.HEX")) << ":04000C0041424344E6\n:00000001FF\n";
    std::ofstream(dir.File("chip.s19")) << "S0030000FC\nS107000C41424344E2\n";
    std::ofstream(dir.File("chip.bin")) << ":04000C0041424344E6\n";
    const std::vector<std::uint8_t> erasedButFour = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                     0x41, 0x42, 0x43, 0x44};
    const std::pair<const char*, std::vector<std::uint8_t>> images[] = {
        {"chip.HEX", erasedButFour},
        {"chip.s19", erasedButFour},
        {"chip.bin",
         {':', '0', '4', '0', '0', '0', 'C', '0', '0', '4', '1', '4', '2', '4', '3', '4'}},
    };
    for (const auto& [name, chip] : images) {
        SimulatorProcess sim({"--chip", "24C00", "--image", dir.File(name)});
        sim.Stop();
        EXPECT_EQ(sim.Dump(), chip) << name;
    }
    std::ofstream(dir.File("bad.hex")) << ":04000C0041424344E7\n:00000001FF\n";
    // Ended after ten seconds should it serve after all.
    EXPECT_EQ(RunTool({"timeout", "10", KORVEL_BOARDSIM, "--link", dir.File("port"), "--image",
                       dir.File("bad.hex")})
                  .err,
              "korvel-boardsim: can't use " + dir.File("bad.hex") +
                  " as the chip's image: line 1: bad checksum\n");
}

// Every line korvel-cli may print for these operations.
const std::regex kOwnMessages(
    "COM2: (Hardware v.{0,12}|Hardware not found !|Can't open port)|"
    "(read|verify|write): (Hardware not found !|Can't open port)|"
    "Error: Transmission error !|Verify: Verify ok|"
    "Verify: Verify failed ! First error at addr [0-9a-f]+h|Write: Write error !|"
    "Warning: File exist\\. Overwrite \\? yes");

class Chaos : public ::testing::TestWithParam<int> {};

TEST_P(Chaos, EveryRunEndsInTimeWithAnOutcomeAndItsOwnMessages) {
    const int seed = GetParam();
    TempDir dir;
    const std::vector<std::uint8_t> chip = PatternImage(16, seed), old = PatternImage(99, 7);
    WriteFileBytes(dir.File("chip.bin"), chip);
    WriteFileBytes(dir.File("out.bin"), old);
    SimulatorProcess sim(
        {"--chip", "24C00", "--image", dir.File("chip.bin"), "--chaos", std::to_string(seed)});

    // Detection, a Read, a Verify of what was read and a Write, then the save: each exchange
    // waits two seconds at most, and a failure ends the run.
    Stopwatch run;
    const ToolRun cli = Cli(
        {"--device", "24C00", "--out", dir.File("out.bin"), "detect", "read", "verify", "write"});
    EXPECT_LT(run.Ms(), 30000);
    EXPECT_TRUE(cli.status == 0 || cli.status == 1) << cli.status;
    EXPECT_EQ(cli.err.find("runtime error:"), std::string::npos) << cli.err;
    EXPECT_EQ(cli.err.find("Sanitizer"), std::string::npos) << cli.err;

    std::istringstream log(cli.out);
    for (std::string line; std::getline(log, line);) {
        EXPECT_TRUE(std::regex_match(line, kOwnMessages)) << line;
    }
    const std::vector<std::uint8_t> saved = ReadFileBytes(dir.File("out.bin"));
    EXPECT_TRUE(cli.status == 1 ? saved == old : saved.size() == 16u) << cli.status;
}

INSTANTIATE_TEST_SUITE_P(Seeds, Chaos, ::testing::Range(1, 31));

}  // namespace

}  // namespace korvel
