// korvel-cli against a board that answers at random: right, wrong, late, too much, not at all,
// or goes away. Whatever it does, every run ends in time, with a status of 0 or 1 and only the
// program's own messages, and a save that did not happen leaves the old file as it was.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <regex>
#include <sstream>

#include "tests/support/BoardSession.h"
#include "tests/support/Stopwatch.h"

namespace korvel {

namespace {

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
    sim.ServeAsPort(2);

    // Detection, a Read, a Verify of what was read and a Write, then the save: each exchange
    // waits two seconds at most, and a failure ends the run.
    const std::string command = "timeout -s KILL 60 " + std::string(KORVEL_CLI) +
                                " --device 24C00 --out '" + dir.File("out.bin") +
                                "' detect read verify write </dev/null >'" + dir.File("log") +
                                "' 2>/dev/null";
    Stopwatch run;
    const int status = std::system(command.c_str());
    EXPECT_LT(run.Ms(), 30000);
    ASSERT_TRUE(WIFEXITED(status)) << "seed " << seed;
    const int exit = WEXITSTATUS(status);
    EXPECT_TRUE(exit == 0 || exit == 1) << "seed " << seed << ": status " << exit;

    std::istringstream log(ReadFileText(dir.File("log")));
    for (std::string line; std::getline(log, line);) {
        EXPECT_TRUE(std::regex_match(line, kOwnMessages)) << "seed " << seed << ": " << line;
    }
    const std::vector<std::uint8_t> saved = ReadFileBytes(dir.File("out.bin"));
    if (exit == 1) {
        EXPECT_EQ(saved, old) << "seed " << seed;
    } else {
        EXPECT_EQ(saved.size(), 16u) << "seed " << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, Chaos, ::testing::Range(1, 31));

}  // namespace

}  // namespace korvel
