// korvel-cli with Korvel's open board: the fast link when the board answers as the open board,
// the five commands when told so or when the link cannot be set up, and what damage on the line,
// an empty socket and a write that never ends come to.
#include <gtest/gtest.h>

#include "tests/support/BoardSession.h"
#include "tests/support/ToolRun.h"

namespace korvel {

namespace {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

std::vector<std::string> OpenBoard(const char* chip, std::vector<std::string> more = {}) {
    more.insert(more.begin(), "--open-board");
    return ChipOptions(chip, more);
}

// "FF FF ..." for so many bytes.
std::string Erased(int count) {
    std::string text = "FF";
    for (int i = 1; i < count; ++i) {
        text += " FF";
    }
    return text;
}

// Detection tries the switch once; each operation switches up, describes the chip, reads or
// writes, and switches back.
TEST(FastLink, AReadOfA24C02GoesInFourBlocksBetweenTheSwitchAndBack) {
    SimulatorProcess sim(OpenBoard("24C02"));
    EXPECT_EQ(Outcome(Cli({"read"})), "0: COM2: Hardware vK20\n");
    sim.Stop();
    const std::string erased = Erased(64);
    EXPECT_EQ(sim.Trace(), (Texts{
                               "46 -> 4B 32 30",
                               "53 01 -> 53",
                               "50 05 BB -> 50 05 BB",
                               "51 24 AB -> 51 24 AB",
                               "53 01 -> 53",
                               "50 05 BB -> 50 05 BB",
                               "4D 01 A0 01 08 0F 58 -> 4D 99 78",
                               "52 00 00 40 57 54 -> 52 00 00 00 " + erased + " B2 BC",
                               "52 40 00 40 FA 49 -> 52 00 40 00 " + erased + " 20 B9",
                               "52 80 00 40 0D 6F -> 52 00 80 00 " + erased + " 96 B7",
                               "52 C0 00 40 A0 72 -> 52 00 C0 00 " + erased + " 04 B2",
                               "51 24 AB -> 51 24 AB",
                           }));
}

TEST(FastLink, EveryChipSizeIsWrittenVerifiedAndReadByteExact) {
    TempDir dir;
    for (const auto& [chip, size] : {std::pair{"24C00", 16},
                                     {"24C02", 256},
                                     {"24C16", 2048},
                                     {"24C64", 8192},
                                     {"24C256", 32768}}) {
        SimulatorProcess sim(OpenBoard(chip));
        const Bytes image = PatternImage(static_cast<std::size_t>(size), size);
        WriteFileBytes(dir.File("image.bin"), image);
        EXPECT_EQ(Outcome(Cli({"-d", chip, "--in", dir.File("image.bin"), "write", "verify"})),
                  "0: COM2: Hardware vK20\nVerify: Verify ok\n")
            << chip;
        EXPECT_EQ(Cli({"-d", chip, "--out", dir.File("chip.bin"), "read"}).status, 0) << chip;
        EXPECT_EQ(ReadFileBytes(dir.File("chip.bin")), image) << chip;
        sim.Stop();
        EXPECT_EQ(sim.Dump(), image) << chip;
    }
}

// Verify and Blank check stop at the first byte that is not what they look for, as with the five
// commands.
TEST(FastLink, ChecksNameTheFirstAddressThatDiffers) {
    TempDir dir;
    Bytes image(2048, 0xFF);
    image[0x5C3] = 0x00;
    image[0x700] = 0x00;
    WriteFileBytes(dir.File("image.bin"), image);
    SimulatorProcess sim(OpenBoard("24C16"));
    EXPECT_EQ(Outcome(Cli({"-d", "24C16", "--in", dir.File("image.bin"), "verify"})),
              "1: COM2: Hardware vK20\nVerify: Verify failed ! First error at addr 5c3h\n");
    SimulatorProcess blank(OpenBoard("24C16", {"--image", dir.File("image.bin")}));
    EXPECT_EQ(Outcome(Cli({"-d", "24C16", "--port", blank.Link(), "blank"})),
              "1: " + blank.Link() +
                  ": Hardware vK20\nBlank check: Device isn't blank ! First error at addr 5c3h\n");
}

// Told to, or when the board does not take up the switch, the host speaks the five commands.
TEST(FastLink, TheFiveCommandsWhenToldSoOrWhenTheSwitchFails) {
    const Texts read = {"46 -> 4B 32 30", "54 00", "43 A0", "52 00 -> FF"};
    for (const std::string how : {"--original-protocol", "KORVEL_PROTOCOL=original"}) {
        SimulatorProcess sim(OpenBoard("24C00"));
        const ToolRun run = how.rfind("--", 0) == 0
                                ? Cli({how, "-d", "24C00", "read"})
                                : Cli({"-d", "24C00", "read"}, "export " + how + "; ");
        EXPECT_EQ(Outcome(run), "0: COM2: Hardware vK20\n") << how;
        sim.Stop();
        const Texts trace = sim.Trace();
        EXPECT_EQ(Texts(trace.begin(), trace.begin() + 4), read) << how;
        EXPECT_EQ(trace.size(), 19u) << how;
    }
    // A board of the original design that happens to answer as the open board.
    SimulatorProcess impostor({"--chip", "24C00", "--board-version", "K20"});
    EXPECT_EQ(Outcome(Cli({"-d", "24C00", "read", "read"})), "0: COM2: Hardware vK20\n");
    impostor.Stop();
    const Texts trace = impostor.Trace();
    EXPECT_EQ(
        Texts(trace.begin(), trace.begin() + 7),
        (Texts{"46 -> 4B 32 30", "53", "01", "54 00", "43 A0", "52 00 -> FF", "52 01 -> FF"}));
    EXPECT_EQ(trace.size(), 1u + 2u + 2 * 18u) << "one try of the switch, then the five commands";
}

// A bit flipped now and then at speed: every operation ends with the right bytes, or says it
// could not; never with a wrong byte taken for right.
TEST(FastLink, DamageOnTheLineIsCaughtAndAskedAgain) {
    TempDir dir;
    const Bytes image = PatternImage(2048, 9);
    WriteFileBytes(dir.File("image.bin"), image);
    int whole = 0;
    for (const char* seed : {"1", "2", "3"}) {
        SimulatorProcess sim(OpenBoard("24C16", {"--flip-every", "300", "--seed", seed}));
        const ToolRun write =
            Cli({"-d", "24C16", "--in", dir.File("image.bin"), "write", "verify"});
        const ToolRun read = Cli({"-d", "24C16", "--out", dir.File("chip.bin"), "read"});
        sim.Stop();
        if (write.status == 0) {
            EXPECT_EQ(sim.Dump(), image) << seed;
        }
        if (read.status == 0) {
            EXPECT_EQ(ReadFileBytes(dir.File("chip.bin")), sim.Dump()) << seed;
        }
        whole += write.status == 0 && read.status == 0 ? 1 : 0;
    }
    EXPECT_GT(whole, 0) << "a damaged frame now and then is asked for again, not given up on";
}

TEST(FastLink, AnEmptySocketAndAWriteThatNeverEndsAreErrors) {
    TempDir dir;
    WriteFileBytes(dir.File("image.bin"), PatternImage(512));
    SimulatorProcess empty(OpenBoard("24C04", {"--no-chip"}));
    EXPECT_EQ(Outcome(Cli({"-d", "24C04", "read"})),
              "1: COM2: Hardware vK20\nError: No chip answers !\n");
    // The page holding 0x123 never ends its write cycle.
    SimulatorProcess endless(OpenBoard("24C04", {"--endless-cycle-at", "0x123"}));
    EXPECT_EQ(Outcome(Cli({"-d", "24C04", "--in", dir.File("image.bin"), "write"})),
              "1: COM2: Hardware vK20\nWrite: Write error !\n");
    // With the five commands, the board tells at the next command: for the last byte, that is
    // the version request after it.
    SimulatorProcess last(OpenBoard("24C04", {"--endless-cycle-at", "0x1FF"}));
    EXPECT_EQ(Outcome(Cli(
                  {"--original-protocol", "-d", "24C04", "--in", dir.File("image.bin"), "write"})),
              "1: COM2: Hardware vK20\nWrite: Write error !\n");
    last.Stop();
    EXPECT_EQ(last.Trace().back(), "46 -> 4B 32 57");
}

}  // namespace

}  // namespace korvel
