// korvel-cli on a repair or production bench, against the board simulator: compare, ranges,
// changed bytes only, chip addresses, the size probe and batches.
#include <gtest/gtest.h>

#include "tests/support/BoardSession.h"
#include "tests/support/ToolRun.h"

namespace korvel {

namespace {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

// The lines of the trace that begin with `prefix`.
Texts LinesStartingWith(const Texts& trace, const std::string& prefix) {
    Texts lines;
    for (const std::string& line : trace) {
        if (line.rfind(prefix, 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

// A file of `size` bytes of `fill`, with some bytes set.
std::string ImageFile(const TempDir& dir, const std::string& name, std::size_t size,
                      std::uint8_t fill, const std::vector<std::pair<std::size_t, int>>& set = {}) {
    Bytes bytes(size, fill);
    for (const auto& [address, value] : set) {
        bytes[address] = static_cast<std::uint8_t>(value);
    }
    WriteFileBytes(dir.File(name), bytes);
    return dir.File(name);
}

TEST(Bench, CompareListsEveryDifferenceUpToAScreenful) {
    TempDir dir;
    SimulatorProcess sim({"--chip", "24C02", "--image", ImageFile(dir, "chip.bin", 256, 0x00)});
    const std::string two = ImageFile(dir, "two.bin", 256, 0x00, {{0x10, 0x01}, {0xFF, 0x7E}});
    EXPECT_EQ(Outcome(Cli({"--in", two, "compare"})),
              "1: COM2: Hardware v2.1\n0010: chip 00, image 01\n00FF: chip 00, image 7E\n"
              "2 bytes differ\n");
    std::vector<std::pair<std::size_t, int>> many;
    for (std::size_t address = 0x80; address < 0x80 + 25; ++address) {
        many.push_back({address, 0x55});
    }
    EXPECT_EQ(Outcome(Cli({"--in", ImageFile(dir, "many.bin", 256, 0x00, many), "compare"})),
              "1: COM2: Hardware v2.1\n"
              "0080: chip 00, image 55\n0081: chip 00, image 55\n0082: chip 00, image 55\n"
              "0083: chip 00, image 55\n0084: chip 00, image 55\n0085: chip 00, image 55\n"
              "0086: chip 00, image 55\n0087: chip 00, image 55\n0088: chip 00, image 55\n"
              "0089: chip 00, image 55\n008A: chip 00, image 55\n008B: chip 00, image 55\n"
              "008C: chip 00, image 55\n008D: chip 00, image 55\n008E: chip 00, image 55\n"
              "008F: chip 00, image 55\n0090: chip 00, image 55\n0091: chip 00, image 55\n"
              "0092: chip 00, image 55\n0093: chip 00, image 55\n... and 5 more\n"
              "25 bytes differ\n");
    // Within a range; and a chip that holds the image.
    EXPECT_EQ(Outcome(Cli({"--in", two, "--start", "0xFF", "--length", "1", "compare"})),
              "1: COM2: Hardware v2.1\n00FF: chip 00, image 7E\n1 byte differs\n");
    EXPECT_EQ(Outcome(Cli({"--in", dir.File("chip.bin"), "compare", "verify"})),
              "0: COM2: Hardware v2.1\nchip and image are equal\nVerify: Verify ok\n");
}

// A ranged read sends only its addresses, selecting the block of each, and changes only those
// bytes of the image, which is saved whole.
TEST(Bench, ARangeLimitsEveryOperationAndTheImageStaysWhole) {
    TempDir dir;
    const std::string chip =
        ImageFile(dir, "chip.bin", 512, 0x22, {{0xFE, 0xA1}, {0xFF, 0xB2}, {0x100, 0xC3}});
    const std::string ones = ImageFile(dir, "ones.bin", 512, 0x11);
    SimulatorProcess sim({"--chip", "24C04", "--image", chip});
    EXPECT_EQ(Outcome(Cli({"-d", "24C04", "--in", ones, "--start", "0xFE", "--length", "3", "--out",
                           dir.File("out.bin"), "read"})),
              "0: COM2: Hardware v2.1\n");
    Bytes expected(512, 0x11);
    expected[0xFE] = 0xA1;
    expected[0xFF] = 0xB2;
    expected[0x100] = 0xC3;
    EXPECT_EQ(ReadFileBytes(dir.File("out.bin")), expected);
    // A write of a range; decimal numbers too.
    EXPECT_EQ(Cli({"-d", "24C04", "--in", ones, "--start", "16", "--length", "2", "write"}).status,
              0);
    const Texts trace = TraceAfterDetection(sim);
    EXPECT_EQ(Texts(trace.begin(), trace.begin() + 6),
              (Texts{"54 00", "43 A0", "52 FE -> A1", "52 FF -> B2", "43 A2", "52 00 -> C3"}));
    EXPECT_EQ(LinesStartingWith(trace, "57"), (Texts{"57 10 11 -> 11", "57 11 11 -> 11"}));
    EXPECT_EQ(trace.size(), 6u + 1 + 2 + 2);
}

TEST(Bench, RangesPastTheChipAreMistakesAndNothingReachesTheBoard) {
    SimulatorProcess sim({"--chip", "24C04"});
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--start", "0x1F0", "--length", "0x20", "read"},
         "--start 496 and --length 32 reach past the end of a 24C04 (512 bytes)"},
        {{"--start", "512", "read"}, "--start 512 lies past the end of a 24C04 (512 bytes)"},
        {{"--length", "0", "read"},
         "--length takes a number from 1 to 32768 (decimal, or hex after 0x), not '0'"},
        {{"--start", "0x", "read"},
         "--start takes a number from 0 to 32767 (decimal, or hex after 0x), not '0x'"},
        {{"--chip-address", "1", "read"}, "a 24C04 takes --chip-address 0, 2, 4 or 6, not 1"},
        {{"--changed", "read"}, "--changed goes with the operation write"},
    };
    for (const auto& [args, error] : cases) {
        std::vector<std::string> all = {"-d", "24C04"};
        all.insert(all.end(), args.begin(), args.end());
        const ToolRun run = Cli(all);
        EXPECT_EQ(run.status, 2) << error;
        EXPECT_EQ(run.err,
                  "korvel-cli: " + error + "\nTry 'korvel-cli --help' for more information.\n");
    }
    EXPECT_EQ(Cli({"-d", "24C16", "--chip-address", "2", "read"})
                  .err.rfind("korvel-cli: a 24C16 takes --chip-address only 0, not 2\n", 0),
              0u);
    sim.Stop();
    EXPECT_TRUE(sim.Trace().empty());
}

// A chip wired to another address answers only there: the five commands read 0xFF elsewhere,
// the fast link says that no chip answers.
TEST(Bench, AChipAddressRidesInTheSelectByte) {
    TempDir dir;
    const std::string chip = ImageFile(dir, "chip.bin", 128, 0x42);
    SimulatorProcess sim({"--chip", "24C01", "--chip-address", "5", "--image", chip});
    EXPECT_EQ(Outcome(Cli({"-d", "24C01", "--chip-address", "5", "--in", chip, "verify"})),
              "0: COM2: Hardware v2.1\nVerify: Verify ok\n");
    EXPECT_EQ(Outcome(Cli({"-d", "24C01", "--in", chip, "verify"})),
              "1: COM2: Hardware v2.1\nVerify: Verify failed ! First error at addr 0h\n");
    const Texts trace = sim.Trace();
    EXPECT_EQ(Texts(trace.begin(), trace.begin() + 4),
              (Texts{"46 -> 32 2E 31", "54 00", "43 AA", "52 00 -> 42"}));
    EXPECT_EQ(Texts(trace.end() - 3, trace.end()), (Texts{"54 00", "43 A0", "52 00 -> FF"}));

    SimulatorProcess open({"--open-board", "--chip", "24C02", "--chip-address", "5"});
    EXPECT_EQ(Outcome(Cli({"--chip-address", "5", "blank"})),
              "0: COM2: Hardware vK20\nBlank check: Device is blank\n");
    EXPECT_EQ(Outcome(Cli({"blank"})), "1: COM2: Hardware vK20\nError: No chip answers !\n");
    open.Stop();
    EXPECT_EQ(LinesStartingWith(open.Trace(), "4D"),
              (Texts{"4D 01 AA 01 08 CE 9F -> 4D 99 78", "4D 01 A0 01 08 0F 58 -> 4D 99 78"}));
}

// Only the bytes that differ are written, or with the fast link the pages that hold them; and
// within a range only its part of a page.
TEST(Bench, WriteChangedWritesOnlyWhatDiffers) {
    TempDir dir;
    SimulatorProcess bytes({"--chip", "24C02", "--image", ImageFile(dir, "zero.bin", 256, 0x00)});
    const std::string image =
        ImageFile(dir, "image.bin", 256, 0x00, {{0x10, 0x01}, {0x11, 0x02}, {0xA0, 0x03}});
    EXPECT_EQ(Outcome(Cli({"--in", image, "--changed", "write", "verify"})),
              "0: COM2: Hardware v2.1\nWrite: 3 bytes differed, 3 written\nVerify: Verify ok\n");
    EXPECT_EQ(Outcome(Cli({"--in", image, "--changed", "write"})),
              "0: COM2: Hardware v2.1\nWrite: 0 bytes differed, 0 written\n");
    bytes.Stop();
    EXPECT_EQ(LinesStartingWith(bytes.Trace(), "57"),
              (Texts{"57 10 01 -> 01", "57 11 02 -> 02", "57 A0 03 -> 03"}));
    EXPECT_EQ(bytes.Dump(), ReadFileBytes(image));

    SimulatorProcess pages(
        {"--open-board", "--chip", "24C16", "--image", ImageFile(dir, "zero16.bin", 2048, 0x00)});
    const std::string image16 =
        ImageFile(dir, "image16.bin", 2048, 0x00, {{0x005, 0x01}, {0x7F0, 0x02}, {0x7F3, 0x03}});
    EXPECT_EQ(Outcome(Cli({"-d", "24C16", "--in", image16, "--changed", "write"})),
              "0: COM2: Hardware vK20\nWrite: 3 bytes differed, 32 written in 2 pages\n");
    EXPECT_EQ(
        Outcome(Cli({"-d", "24C16", "--in", ImageFile(dir, "one.bin", 2048, 0x00, {{0x7F4, 0x04}}),
                     "--start", "0x7F4", "--length", "4", "--changed", "write"})),
        "0: COM2: Hardware vK20\nWrite: 1 byte differed, 4 written in 1 page\n");
    pages.Stop();
    Texts heads;
    for (const std::string& line : LinesStartingWith(pages.Trace(), "57")) {
        heads.push_back(line.substr(0, 11));
    }
    EXPECT_EQ(heads, (Texts{"57 00 00 10", "57 F0 07 10", "57 F4 07 04"}));
    Bytes expected = ReadFileBytes(image16);
    expected[0x7F4] = 0x04;
    EXPECT_EQ(pages.Dump(), expected);
}

// Every size with uniform, repeating and random contents, with the five commands (which read
// 0xFF where nothing answers) and with the fast link (which says so).
TEST(Bench, ProbeSaysTheSizeOnlyWhereTheChipShowsIt) {
    TempDir dir;
    struct Case {
        const char* chip;
        const char* contents;
        bool fast;
        const char* size;  // the line after "Size: "
    };
    const std::string unknown = "unknown: every byte is the same";
    const std::string every64 = "unknown: the bytes repeat every 64 bytes";
    const char* const c00 =
        "24C00 (16 bytes), or a 24C01, 24C02, 24C04, 24C08 or 24C16 that holds the same 16 "
        "bytes again and again up to 256 bytes, and 0xFF beyond";
    const char* const c01 =
        "24C01 (128 bytes), or a 24C02, 24C04, 24C08 or 24C16 that holds the same 128 bytes "
        "again and again up to 256 bytes, and 0xFF beyond";
    const Case cases[] = {
        {"24C00", "uniform", false, unknown.c_str()},
        {"24C00", "repeating", false, c00},
        {"24C00", "random", false, c00},
        {"24C01", "repeating", false, c01},
        {"24C01", "random", false, c01},
        {"24C02", "uniform", false, unknown.c_str()},
        {"24C02", "repeating", false, c01},
        {"24C02", "random", false,
         "24C02 (256 bytes), or a 24C04, 24C08 or 24C16 that holds 0xFF beyond them"},
        {"24C04", "uniform", false,
         "24C04 (512 bytes), or a 24C08 or 24C16 that holds 0xFF beyond them"},
        {"24C04", "random", false,
         "24C04 (512 bytes), or a 24C08 or 24C16 that holds 0xFF beyond them"},
        {"24C08", "repeating", false, "24C08 (1024 bytes), or a 24C16 that holds 0xFF beyond them"},
        {"24C08", "random", false, "24C08 (1024 bytes), or a 24C16 that holds 0xFF beyond them"},
        {"24C16", "uniform", false, unknown.c_str()},
        {"24C16", "repeating", false, "24C16 (2048 bytes)"},
        {"24C16", "random", false, "24C16 (2048 bytes)"},
        {"24C32", "random", false,
         "24C32 (4096 bytes), or a 24C64, 24C128 or 24C256 that holds the same 4096 bytes "
         "again and again"},
        {"24C00", "uniform", true, unknown.c_str()},
        {"24C00", "random", true,
         "24C00 (16 bytes), or a 24C01 or 24C02 that holds the same 16 bytes again and again"},
        {"24C01", "uniform", true, unknown.c_str()},
        {"24C01", "random", true,
         "24C01 (128 bytes), or a 24C02 that holds the same 128 bytes again and again"},
        {"24C02", "repeating", true,
         "24C01 (128 bytes), or a 24C02 that holds the same 128 bytes again and again"},
        {"24C02", "random", true, "24C02 (256 bytes): nothing answers beyond them"},
        {"24C04", "uniform", true, "24C04 (512 bytes): nothing answers beyond them"},
        {"24C04", "repeating", true, "24C04 (512 bytes): nothing answers beyond them"},
        {"24C08", "uniform", true, "24C08 (1024 bytes): nothing answers beyond them"},
        {"24C08", "random", true, "24C08 (1024 bytes): nothing answers beyond them"},
        {"24C16", "uniform", true, unknown.c_str()},
        {"24C16", "repeating", true, "24C16 (2048 bytes)"},
        {"24C16", "random", true, "24C16 (2048 bytes)"},
        {"24C32", "uniform", true, unknown.c_str()},
        {"24C32", "repeating", true, every64.c_str()},
        {"24C64", "uniform", true, unknown.c_str()},
        {"24C64", "repeating", true, every64.c_str()},
        {"24C64", "random", true,
         "24C64 (8192 bytes), or a 24C128 or 24C256 that holds the same 8192 bytes again and "
         "again"},
        {"24C128", "uniform", true, unknown.c_str()},
        {"24C128", "repeating", true, every64.c_str()},
        {"24C128", "random", true,
         "24C128 (16384 bytes), or a 24C256 that holds the same 16384 bytes again and again"},
        {"24C256", "uniform", true, unknown.c_str()},
        {"24C256", "repeating", true, every64.c_str()},
        {"24C256", "random", true, "24C256 (32768 bytes)"},
    };
    Bytes repeating(32768);
    for (std::size_t i = 0; i < repeating.size(); ++i) {
        repeating[i] = static_cast<std::uint8_t>(i % 64);
    }
    WriteFileBytes(dir.File("uniform.bin"), Bytes(32768, 0x5A));
    WriteFileBytes(dir.File("repeating.bin"), repeating);
    WriteFileBytes(dir.File("random.bin"), PatternImage(32768, 5));
    for (const Case& c : cases) {
        std::vector<std::string> options = {"--chip", c.chip, "--image",
                                            dir.File(std::string(c.contents) + ".bin")};
        if (c.fast) {
            options.push_back("--open-board");
        }
        SimulatorProcess sim(options);
        const std::string chip = c.chip;
        const bool twoBytes =
            chip == "24C32" || chip == "24C64" || chip == "24C128" || chip == "24C256";
        const ToolRun run = Cli({"-d", twoBytes ? "24C64" : "24C02", "probe"});
        const std::string size = c.size;
        EXPECT_EQ(
            Outcome(run),
            std::string(size.find(" or ") != std::string::npos || size.rfind("unknown", 0) == 0
                            ? "1"
                            : "0") +
                ": COM2: Hardware v" + (c.fast ? "K20" : "2.1") + "\nSize: " + size + "\n")
            << c.chip << " " << c.contents << (c.fast ? " fast" : "");
    }
}

// Probing writes nothing, and an empty socket is an error on the fast link.
TEST(Bench, ProbeWritesNothing) {
    SimulatorProcess empty({"--open-board", "--chip", "24C02", "--no-chip"});
    EXPECT_EQ(Outcome(Cli({"probe"})), "1: COM2: Hardware vK20\nError: No chip answers !\n");
    SimulatorProcess sim({"--chip", "24C04"});
    EXPECT_EQ(Cli({"-d", "24C04", "probe"}).status, 1);
    const Texts trace = TraceAfterDetection(sim);
    EXPECT_TRUE(LinesStartingWith(trace, "57").empty());
    EXPECT_EQ(LinesStartingWith(trace, "43"),
              (Texts{"43 A0", "43 A2", "43 A4", "43 A6", "43 A8", "43 AA", "43 AC", "43 AE"}));
    EXPECT_EQ(Cli({"-d", "24C02", "--chip-address", "1", "probe"}).status, 2);
}

// Each chip of a batch gets the next serial number, big-endian; a chip that fails keeps its
// number for the next one, and the batch ends where the numbers do.
TEST(Bench, BatchesNumberTheirChipsAndCountThem) {
    TempDir dir;
    const std::string image = ImageFile(dir, "image.bin", 16, 0x00);
    SimulatorProcess sim({"--chip", "24C00"});
    const std::vector<std::string> batch = {
        "-d",          "24C00", "--in",           image, "--yes",          "--repeat=3",
        "--serial-at", "4",     "--serial-bytes", "2",   "--serial-start", "0xFFFE",
        "write",       "verify"};
    EXPECT_EQ(Outcome(Cli(batch)),
              "1: COM2: Hardware v2.1\nChip 1, serial 65534\nVerify: Verify ok\n"
              "Chip 2, serial 65535\nVerify: Verify ok\n"
              "Serial: 65535 was the last number that 2 bytes hold\nChips: 2 done, 0 failed\n");
    sim.Stop();
    const Texts writes = LinesStartingWith(sim.Trace(), "57 0");
    EXPECT_EQ(Texts(writes.begin() + 4, writes.begin() + 6),
              (Texts{"57 04 FF -> FF", "57 05 FE -> FE"}));
    EXPECT_EQ(Texts(writes.begin() + 20, writes.begin() + 22),
              (Texts{"57 04 FF -> FF", "57 05 FF -> FF"}));
    EXPECT_EQ(writes.size(), 32u);

    SimulatorProcess spoilt({"--chip", "24C00", "--bad-reply-at", "0"});
    EXPECT_EQ(Outcome(Cli({"-d", "24C00", "--in", image, "--yes", "--repeat=2", "--serial-at", "0",
                           "--serial-start", "7", "--serial-bytes", "1", "write"})),
              "1: COM2: Hardware v2.1\nChip 1, serial 7\nWrite: Write error !\n"
              "Chip 2, serial 7\nWrite: Write error !\nChips: 0 done, 2 failed\n");
}

TEST(Bench, ABatchAsksOnTheTerminalOrIsToldItsCount) {
    SimulatorProcess sim({"--chip", "24C00"});
    const std::pair<std::vector<std::string>, std::string> mistakes[] = {
        {{"--repeat", "read"},
         "--repeat asks for each next chip on a terminal; without one, give --yes and "
         "--repeat=N"},
        {{"--yes", "--repeat", "read"}, "--yes needs a count of chips to end with: --repeat=N"},
        {{"--yes", "read"}, "--yes goes with --repeat=N"},
        {{"--yes", "--repeat=2", "--out", "chip.bin", "read"},
         "--out saves one image, not one for each chip of --repeat"},
        {{"--serial-at", "0", "--serial-start", "256", "--serial-bytes", "1", "write"},
         "--serial-start 256 does not fit in 1 byte"},
        {{"--serial-at", "14", "write"},
         "the serial number's 4 bytes at 14 do not lie within the chip operations' addresses, "
         "0 to 15"},
        {{"--serial-at", "0", "read"}, "--serial-at goes with the operation write"},
    };
    for (const auto& [args, error] : mistakes) {
        std::vector<std::string> all = {"-d", "24C00"};
        all.insert(all.end(), args.begin(), args.end());
        EXPECT_EQ(Cli(all).err,
                  "korvel-cli: " + error + "\nTry 'korvel-cli --help' for more information.\n");
    }
    if (!OnPath("script")) {
        GTEST_SKIP() << "script (Debian package bsdutils) is not installed";
    }
    // On a terminal: Enter takes the next chip, q stops.
    const ToolRun run = RunTool({"sh", "-c",
                                 "printf '\\nq\\n' | script -qec \"'" KORVEL_CLI
                                 "' -d 24C00 --repeat read 2>/dev/null\" "
                                 "/dev/null"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Chip 1\r\nChip 2\r\nChips: 2 done, 0 failed\r\n"), std::string::npos)
        << run.out;
    sim.Stop();
    EXPECT_EQ(LinesStartingWith(sim.Trace(), "52 00").size(), 2u);
}

}  // namespace

}  // namespace korvel
