// The board simulator under bad use: a host that never reads, and numbers and files that make
// no sense.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/Bounded.h"
#include "tests/support/SimulatorProcess.h"

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

TEST(BoardSimulator, RefusesAbsurdNumbersAndImagesThatAreNoFiles) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    const std::vector<std::vector<std::string>> mistakes = {
        {"--delay-ms", "9223372036854775807"},
        {"--delay-ms", "-1"},
        {"--silent-after", "-5"},
        {"--bad-reply-at", "40000"},
        {"--latency-ms", "1x"},
        {"--chip", "24C512"},
        {"--image", dir.path().string()},
        {"--image", dir.File("pipe")},
        {"--image", "/dev/zero"},
        {"--image", dir.File("missing.bin")},
        {"unexpected"},
    };
    for (const std::vector<std::string>& options : mistakes) {
        std::string command = std::string(KORVEL_BOARDSIM) + " --link '" + dir.File("port") + "'";
        for (const std::string& option : options) {
            command += " '" + option + "'";
        }
        EXPECT_TRUE(EndsWithin(3000, [&] {
            const int status = std::system((command + " >/dev/null 2>&1").c_str());
            return WIFEXITED(status) && WEXITSTATUS(status) == 2;
        })) << options[0];
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("port")));
}

}  // namespace

}  // namespace korvel
