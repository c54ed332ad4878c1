// korvel-cli as a script would run it, against the board simulator.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>

#include "tests/support/BoardSession.h"

namespace {

struct CliRun {
    int status;  // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs korvel-cli through the shell, with no input and its output captured.
CliRun Cli(const std::vector<std::string>& args) {
    TempDir dir;
    std::string command = KORVEL_CLI;
    for (const std::string& arg : args) {
        command += " '" + arg + "'";
    }
    command += " </dev/null >'" + dir.File("out") + "' 2>'" + dir.File("err") + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileText(dir.File("out")),
            ReadFileText(dir.File("err"))};
}

TEST(Cli, ReadsAChipIntoAFile) {
    TempDir dir;
    const auto chip = PatternImage(32768, 21);
    WriteFileBytes(dir.File("image.bin"), chip);
    SimulatorProcess sim({"--chip", "24C256", "--image", dir.File("image.bin")});
    sim.ServeAsPort(2);
    const CliRun run = Cli({"--device", "24c256", "--out", dir.File("chip.bin"), "read"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "COM2: Hardware v2.1\n");
    EXPECT_EQ(ReadFileBytes(dir.File("chip.bin")), chip);
}

TEST(Cli, FailuresGiveNonZeroStatuses) {
    setenv("KORVEL_COM3", "/dev/korvel-no-such-port", 1);
    const CliRun run = Cli({"--port", "3", "read"});
    unsetenv("KORVEL_COM3");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "COM3: Can't open port\nread: Can't open port\n");

    // Mistakes on the command line.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--port", "5", "read"},
                                                 {"--device", "24C512", "read"},
                                                 {"format"},
                                                 {}}) {
        EXPECT_EQ(Cli(args).status, 2) << (args.empty() ? "" : args.front());
    }
}

TEST(Cli, ProgressIntoAFileIsOneLineAtEveryTenthOfTheWay) {
    SimulatorProcess sim({"--chip", "24C00"});
    sim.ServeAsPort(2);
    const CliRun run = Cli({"--device", "24C00", "read", "erase"});
    EXPECT_EQ(run.status, 0);
    // A 24C00 shows 6, 12, 18, 25, 31, 37, 43, 50, 56, 62, 68, 75, 81, 87, 93 and 100 %.
    std::string expected;
    for (const char* verb : {"Reading", "Erasing"}) {
        for (const char* percent : {"12", "25", "31", "43", "50", "62", "75", "81", "93", "100"}) {
            expected += std::string(verb) + "... " + percent + "% done\n";
        }
    }
    EXPECT_EQ(run.err, expected);
}

TEST(Cli, ListsTheImageLoadedFromAFile) {
    TempDir dir;
    std::vector<std::uint8_t> image(300, 0x41);
    image[0] = '%';
    WriteFileBytes(dir.File("Long.BIN"), image);
    setenv("TEMP", dir.path().c_str(), 1);
    const CliRun run = Cli({"--in", dir.File("Long.BIN"), "list"});
    unsetenv("TEMP");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Warning: File size is > EEPROM size ! Only the first 256 bytes will be used.\n" +
                  dir.File("BUFFER.TXT") + "\n");
    const std::string listing = ReadFileText(dir.File("BUFFER.TXT"));
    std::string shown = dir.File("long.bin");
    std::transform(shown.begin(), shown.end(), shown.begin(), ::tolower);
    EXPECT_NE(listing.find("File: " + shown + "         Size: 256 bytes\r\n"), std::string::npos);
    EXPECT_NE(listing.find("0000   25 41 41"), std::string::npos);
    EXPECT_NE(listing.find("00F0   41"), std::string::npos);
}

}  // namespace
