// korvel-cli as a script would run it, against the board simulator.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/support/BoardSession.h"
#include "tests/support/ToolRun.h"

namespace korvel {

namespace {

TEST(Cli, HelpVersionAndTheGnuWaysOfGivingOptions) {
    const ToolRun help = Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: korvel-cli [OPTION]... OPERATION...\n", 0), 0u);
    EXPECT_EQ(Cli({"-h"}).out, help.out);
    EXPECT_EQ(Cli({"--version"}).out, "korvel-cli (Korvel) 3.0.0.0\n");

    SimulatorProcess sim({"--chip", "24C00"});
    // --opt=value, a short option, and "--" before an operation.
    EXPECT_EQ(Outcome(Cli({"--port=" + sim.Link(), "-d", "24C00", "--", "detect"})),
              "0: " + sim.Link() + ": Hardware v2.1\n");
}

// A script whose variable is unset passes an empty name: never a file to write to a chip from,
// nor one to throw a Read away into.
TEST(Cli, EmptyFileNamesAreMistakesAndNothingReachesTheBoard) {
    SimulatorProcess sim({"--chip", "24C02"});
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--in", "", "write"},
                                                 {"--out", "", "read"},
                                                 {"--in=", "write"},
                                                 {"-o", "", "read"}}) {
        EXPECT_EQ(Outcome(Cli(args)), "2: ") << args[0];
    }
    sim.Stop();
    EXPECT_TRUE(sim.Trace().empty());
    EXPECT_EQ(sim.Dump(), std::vector<std::uint8_t>(256, 0xFF));
}

TEST(Cli, MistakesOnTheCommandLineAreUsageErrors) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--bogus", "read"},
                                                 {"--port", "0", "read"},
                                                 {"--port", "5", "read"},
                                                 {"--port", "2x", "read"},
                                                 {"--port", "ttyUSB0", "read"},
                                                 {"--device", "24C512", "read"},
                                                 {"--format", "elf", "sum"},
                                                 {"format"},
                                                 {}}) {
        EXPECT_EQ(Cli(args).status, 2) << (args.empty() ? "" : args.back());
    }
    EXPECT_EQ(Cli({"--bogus", "read"}).err,
              "korvel-cli: unknown option '--bogus'\nTry 'korvel-cli --help' for more "
              "information.\n");
}

// The exit status is the outcome: a failed Verify or Save, a non-blank chip and a transmission
// error end with 1. A file-size limit fails the save with its message, not the program. What the
// board sends may be anything; the user's terminal and a log get it as text, and in a log of both
// outputs the detection stands before the progress of the Read that follows it.
TEST(Cli, ExitStatusIsTheOutcomeAndALogShowsWhatHappenedInOrder) {
    TempDir dir;
    const std::string zeros = dir.File("zeros.bin"), locked = dir.File("locked.bin"),
                      missing = dir.File("missing.bin"), large = dir.File("large.bin");
    WriteFileBytes(zeros, std::vector<std::uint8_t>(256, 0x00));
    WriteFileBytes(locked, {1, 2, 3});
    chmod(locked.c_str(), 0444);
    WriteFileBytes(large, PatternImage(32768));
    struct Case {
        int status;
        std::string log;                // a whole line or more of the log of both outputs
        std::vector<std::string> args;  // the chip is a 24C02 unless -d names another
        std::vector<std::string> board = {};
        std::string before = "";  // shell commands run first
    };
    const Case cases[] = {
        {0, "Verify: Verify ok\n", {"verify"}},
        {1, "Verify: Verify failed ! First error at addr 0h\n", {"--in", zeros, "verify"}},
        {1,
         "Blank check: Device isn't blank ! First error at addr 0h\n",
         {"blank"},
         {"--image", zeros}},
        {1, "Error: Transmission error !\n", {"read"}, {"--silent-after", "6"}},
        {1, "Error: Can't write to file. File is read only ?\n", {"--out", locked, "read"}},
        {1, "Error: can't open " + missing + "\n", {"--in", missing, "read"}},
        {1,
         "Error: Can't save the file. Disk full or write error !\n",
         {"-d", "24C256", "--in", large, "--out", dir.File("chip.bin")},
         {},
         "ulimit -f 8; "},
        {0,
         "COM2: Hardware v\\x1Bc\nReading... 12% done\n",
         {"-d", "24C00", "read"},
         {"--board-version", "\\x1bc\\x00"}},
    };
    for (const Case& c : cases) {
        SimulatorProcess sim(ChipOptions(c.args[0] == "-d" ? c.args[1].c_str() : "24C02", c.board));
        const ToolRun run = Cli(c.args, c.before, true);
        EXPECT_EQ(run.status, c.status) << c.log;
        EXPECT_NE(("\n" + run.out).find("\n" + c.log), std::string::npos) << run.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("chip.bin")));
}

// A destination that cannot be written is found before the chip is touched (a Read of a 24C256
// takes minutes), and the box says why, after its usual text; a file that is simply read only
// keeps the line scripts know.
TEST(Cli, ADestinationThatCannotBeWrittenIsRefusedBeforeAnythingReachesTheBoard) {
    TempDir dir;
    const std::string locked = dir.File("locked.bin"), folder = dir.File("folder"),
                      dangling = dir.File("dangling.bin");
    WriteFileBytes(locked, {1, 2, 3});
    chmod(locked.c_str(), 0444);
    std::filesystem::create_directory(folder);
    std::filesystem::create_symlink(dir.File("gone.bin"), dangling);
    const std::string refused = "1: Error: Can't write to file. File is read only ?";
    const std::pair<std::string, std::string> cases[] = {
        {locked, refused + "\n"},
        {dir.File("missing/chip.bin"),
         refused + " " + dir.File("missing") + ": No such file or directory\n"},
        {folder, refused + " " + folder + ": Is a directory\n"},
        {dangling, refused + " " + dangling + ": a symbolic link to " + dir.File("gone.bin") +
                       ", which does not exist\n"},
        {"/dev/null", refused + " /dev/null: not a regular file\n"},
    };
    for (const auto& [out, expected] : cases) {
        SimulatorProcess sim({"--chip", "24C02"});
        EXPECT_EQ(Outcome(Cli({"--out", out, "read"})), expected);
        sim.Stop();
        EXPECT_TRUE(sim.Trace().empty()) << out;
    }
}

// A pipe is read to its end, however late its writer sends: never "no data yet" taken for an
// empty file, whose 0xFF bytes a Write would then put into the chip.
TEST(Cli, AnImageFromAPipeIsReadToItsEnd) {
    TempDir dir;
    const std::vector<std::uint8_t> image = PatternImage(256, 9);
    WriteFileBytes(dir.File("image.bin"), image);
    SimulatorProcess sim({"--chip", "24C02"});
    const ToolRun run =
        Cli({"--in", "/dev/stdin", "write"}, "(sleep 0.3; cat '" + dir.File("image.bin") + "') | ");
    EXPECT_EQ(Outcome(run), "0: COM2: Hardware v2.1\n");
    sim.Stop();
    EXPECT_EQ(sim.Dump(), image);
}

// A raw file larger than the chip is warned about, for a 24C256 too: one byte more is enough.
TEST(Cli, ARawFileLargerThanTheChipIsWarnedAbout) {
    TempDir dir;
    WriteFileBytes(dir.File("fits.bin"), PatternImage(32768));
    WriteFileBytes(dir.File("larger.bin"), PatternImage(32769));
    const std::string sums = Cli({"-d", "24C256", "--in", dir.File("fits.bin"), "sum"}).out;
    EXPECT_EQ(sums.rfind("CRC-32: ", 0), 0u) << sums;
    EXPECT_EQ(
        Cli({"-d", "24C256", "--in", dir.File("larger.bin"), "sum"}).out,
        "Warning: File size is > EEPROM size ! Only the first 32768 bytes will be used.\n" + sums);
}

TEST(Cli, DevicePathsForThePortAndTheListOfPorts) {
    SimulatorProcess sim({"--chip", "24C02"});
    setenv("KORVEL_COM3", "/dev/korvel-no-such-port", 1);
    // A relative path, from the simulator's directory.
    const std::string relative = "cd '" + sim.File("") + "' && ";
    EXPECT_EQ(Outcome(Cli({"--port", "./port", "detect"}, relative)), "0: ./port: Hardware v2.1\n");
    // The last --port counts. Why a port cannot be opened goes to standard error, under the
    // name the port was given by, and korvel-cli's own.
    ToolRun run = Cli({"--port", sim.Link(), "--port", "3", "read"});
    EXPECT_EQ(Outcome(run) + run.err,
              "1: COM3: Can't open port\nread: Can't open port\nkorvel-cli: can't open COM3: "
              "/dev/korvel-no-such-port: No such file or directory\n");
    run = Cli({"--port", "/dev/null", "detect"});
    EXPECT_EQ(Outcome(run) + run.err,
              "1: /dev/null: Can't open port\nkorvel-cli: can't open /dev/null: Inappropriate "
              "ioctl for device\n");
    const ToolRun ports = Cli({"--port", "/dev/korvel-named", "ports"});
    EXPECT_EQ(ports.status, 0);
    EXPECT_NE(ports.out.find("\nCOM2: /dev/korvel-named (named on the command line)\n"
                             "COM3: /dev/korvel-no-such-port (environment: KORVEL_COM3)\n"),
              std::string::npos)
        << ports.out;
    unsetenv("KORVEL_COM3");
}

// On a terminal the progress is one line, rewritten, with the time taken and the time left.
TEST(Cli, ProgressOnATerminalShowsTheTimeLeft) {
    if (!OnPath("script")) {
        GTEST_SKIP() << "script (Debian package bsdutils) is not installed";
    }
    SimulatorProcess sim({"--chip", "24C02"});
    // script gives the run a terminal and passes on what the terminal shows.
    const ToolRun run =
        RunTool({"script", "-qec", "'" KORVEL_CLI "' read >/dev/null", "/dev/null"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\rReading... 50% done, 0:00 taken, 0:00 left"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\rReady."), std::string::npos);
}

// A chip read into Intel HEX and S-record files, loaded back from them, and summed: the sums of a
// 24C00 holding "123456789" and seven erased bytes, as Python's zlib.crc32 and hashlib.sha256
// give them.
TEST(Cli, ImagesInEveryFormatAndTheirSums) {
    TempDir dir;
    const std::string chip = "123456789\xFF\xFF\xFF\xFF\xFF\xFF\xFF";
    std::ofstream(dir.File("chip.bin")) << chip;
    SimulatorProcess sim({"--chip", "24C00", "--image", dir.File("chip.bin")});
    const std::string sums =
        "CRC-32: 6ca11cb4\n"
        "SHA-256: 918f0bc84e7d9ca6acba6fb3cbf3f5bf8ea187359a550a616b6a1d93c8da148f\n";
    // A device name in any letter case.
    EXPECT_EQ(Cli({"-d", "24c00", "--out", dir.File("chip.raw"), "read", "sum"}).out,
              "COM2: Hardware v2.1\n" + sums);
    EXPECT_EQ(ReadFileText(dir.File("chip.raw")), chip);

    EXPECT_EQ(Cli({"-d", "24C00", "--out", dir.File("chip.HEX"), "read"}).status, 0);
    EXPECT_EQ(ReadFileText(dir.File("chip.HEX")),
              ":10000000313233343536373839FFFFFFFFFFFFFF1A\n:00000001FF\n");
    EXPECT_EQ(Cli({"-d", "24C00", "-f", "srec", "--out", dir.File("chip.bin"), "read"}).status, 0);
    EXPECT_EQ(ReadFileText(dir.File("chip.bin")),
              "S0030000FC\nS1130000313233343536373839FFFFFFFFFFFFFF16\nS9030000FC\n");
    EXPECT_EQ(Cli({"-d", "24C00", "--format=srec", "--in", dir.File("chip.bin"), "sum"}).out, sums);
    EXPECT_EQ(Cli({"-d", "24C00", "--in", dir.File("chip.HEX"), "sum"}).out, sums);

    // A damaged file is refused, naming the line, and nothing runs after it.
    std::ofstream(dir.File("bad.hex")) << ":10000000313233343536373839FFFFFFFFFFFFFF1B\n";
    EXPECT_EQ(Outcome(Cli({"-d", "24C00", "--in", dir.File("bad.hex"), "sum"})),
              "1: Error: Not an image file ! line 1: bad checksum\n");
}

TEST(Cli, ProgressIntoAFileIsOneLineAtEveryTenthOfTheWay) {
    SimulatorProcess sim({"--chip", "24C00"});
    const ToolRun run = Cli({"--device", "24C00", "read", "erase"});
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
    const ToolRun run = Cli({"--in", dir.File("Long.BIN"), "list"});
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

}  // namespace korvel
