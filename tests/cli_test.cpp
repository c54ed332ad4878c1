// korvel-cli as a script would run it, against the board simulator.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "tests/support/BoardSession.h"
#include "tests/support/RunProgram.h"

namespace {

ProgramResult Cli(const std::vector<std::string>& args) {
    return RunProgram(KORVEL_CLI, args);
}

TEST(Cli, ReadsAChipIntoAFile) {
    TempDir dir;
    const auto chip = PatternImage(32768, 21);
    WriteFileBytes(dir.File("image.bin"), chip);
    SimulatorProcess sim({"--chip", "24C256", "--image", dir.File("image.bin")});
    sim.ServeAsPort(2);
    const auto result =
        Cli({"--port", "2", "--device", "24C256", "--out", dir.File("chip.bin"), "read"});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(ReadFileBytes(dir.File("chip.bin")), chip);
    EXPECT_EQ(result.out, "COM2: Hardware v2.1\n");
}

TEST(Cli, WritesAndVerifiesAnImageOnAnotherPort) {
    TempDir dir;
    const auto image = PatternImage(2048, 22);
    WriteFileBytes(dir.File("image.bin"), image);
    SimulatorProcess sim({"--chip", "24C16"});
    sim.ServeAsPort(4);
    const auto result = Cli({"--port", "4", "--device", "24c16", "--in", dir.File("image.bin"),
                             "write", "verify", "blank"});
    // Blank check fails on a written chip: the run ends non-zero after the verify succeeded.
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out,
              "COM4: Hardware v2.1\nVerify: Verify ok\n"
              "Blank check: Device isn't blank ! First error at addr 0h\n");
    sim.Stop();
    EXPECT_EQ(sim.Dump(), image);
}

TEST(Cli, ProgressLineChangesOnlyWithThePercentage) {
    SimulatorProcess sim({"--chip", "24C00"});
    sim.ServeAsPort(2);
    const auto result = Cli({"--device", "24C00", "detect", "read", "erase"});
    EXPECT_EQ(result.status, 0);
    // Sixteen percentages and "Ready." for each of the two operations.
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\r'), 34);
    EXPECT_NE(result.err.find("\rReading... 6% done"), std::string::npos);
    EXPECT_NE(result.err.find("\rErasing... 100% done"), std::string::npos);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2);
}

TEST(Cli, FailuresGiveANonZeroStatus) {
    setenv("KORVEL_COM3", "/dev/korvel-no-such-port", 1);
    auto result = Cli({"--port", "3", "read"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "COM3: Can't open port\nread: Can't open port\n");
    EXPECT_NE(result.err.find("can't open COM3"), std::string::npos);

    SimulatorProcess silent({"--chip", "24C02", "--silent-after", "0"});
    silent.ServeAsPort(2);
    result = Cli({"detect"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "COM2: Hardware not found !\n");

    SimulatorProcess dying({"--chip", "24C02", "--silent-after", "20"});
    dying.ServeAsPort(2);
    result = Cli({"read", "verify"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "COM2: Hardware v2.1\nError: Transmission error !\n");

    EXPECT_EQ(Cli({"--port", "5", "read"}).status, 2);
    EXPECT_EQ(Cli({"--device", "24C512", "read"}).status, 2);
    EXPECT_EQ(Cli({"format"}).status, 2);
    EXPECT_EQ(Cli({}).status, 2);
}

TEST(Cli, ImageFilesThatCannotBeUsedAreReported) {
    TempDir dir;
    auto result = Cli({"--in", dir.File("missing.bin")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("missing.bin"), std::string::npos);

    result = Cli({"--out", dir.File("no-such-dir/chip.bin")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("Error: "), std::string::npos);
}

TEST(Cli, LoadsWithTheWindowsRulesAndListsTheImage) {
    TempDir dir;
    std::vector<std::uint8_t> image(300, 0x41);
    image[0] = '%';
    WriteFileBytes(dir.File("Long.BIN"), image);
    setenv("TEMP", dir.path().c_str(), 1);
    const auto result = Cli({"--in", dir.File("Long.BIN"), "list"});
    unsetenv("TEMP");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "Warning: File size is > EEPROM size ! Only the first 256 bytes will be used.\n" +
                  dir.File("BUFFER.TXT") + "\n");
    const auto listing = ReadFileBytes(dir.File("BUFFER.TXT"));
    const std::string text(listing.begin(), listing.end());
    std::string shown = dir.File("long.bin");
    std::transform(shown.begin(), shown.end(), shown.begin(), ::tolower);
    EXPECT_NE(text.find("File: " + shown + "         Size: 256 bytes\r\n"), std::string::npos);
    EXPECT_NE(text.find("0000   25 41 41"), std::string::npos);
    EXPECT_NE(text.find("00F0   41"), std::string::npos);
}

}  // namespace
