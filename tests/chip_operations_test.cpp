// The five chip operations of the programmer end to end: programmer, board protocol, serial
// link, pseudo-terminal, board simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/support/BoardSession.h"

namespace korvel {

namespace {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

std::string Hex(unsigned byte) {
    char text[9];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

// Each type as the chips and the board's protocol have it, written out here rather than taken
// from the program's catalogue: its size, its mode command, every select command of a whole-chip
// operation in order, and the read command for its last address (address bytes low first).
struct TypeOnTheLine {
    const char* name;
    int size;
    const char* mode;
    Texts selects;
    const char* lastRead;
};
const TypeOnTheLine kTypes[] = {
    {"24C00", 16, "54 00", {"43 A0"}, "52 0F"},
    {"24C01", 128, "54 00", {"43 A0"}, "52 7F"},
    {"24C02", 256, "54 00", {"43 A0"}, "52 FF"},
    {"24C04", 512, "54 00", {"43 A0", "43 A2"}, "52 FF"},
    {"24C08", 1024, "54 00", {"43 A0", "43 A2", "43 A4", "43 A6"}, "52 FF"},
    {"24C16",
     2048,
     "54 00",
     {"43 A0", "43 A2", "43 A4", "43 A6", "43 A8", "43 AA", "43 AC", "43 AE"},
     "52 FF"},
    {"24C32", 4096, "54 01", {"43 A0"}, "52 FF 0F"},
    {"24C64", 8192, "54 01", {"43 A0"}, "52 FF 1F"},
    {"24C128", 16384, "54 01", {"43 A0"}, "52 FF 3F"},
    {"24C256", 32768, "54 01", {"43 A0"}, "52 FF 7F"},
};

// The trace of a Read ('R') or Write ('W') of the whole chip: the mode, a select before each
// 256-byte block of a one-address-byte type (only before the first for the others), then one
// exchange per address, low address byte first.
Texts OperationTrace(const TypeOnTheLine& type, char command, const Bytes& chip) {
    const bool twoAddressBytes = std::string(type.mode) == "54 01";
    Texts lines = {type.mode};
    auto select = type.selects.begin();
    for (int a = 0; a < type.size; ++a) {
        if (a % 256 == 0 && (a == 0 || !twoAddressBytes)) {
            lines.push_back(*select++);
        }
        std::string line = Hex(command) + " " + Hex(a & 0xFF);
        line += twoAddressBytes ? " " + Hex(a >> 8) : "";
        line += command == 'W' ? " " + Hex(chip[a]) : "";
        lines.push_back(line + " -> " + Hex(chip[a]));
    }
    return lines;
}

Bytes ImageStart(const Programmer& programmer, std::size_t size) {
    return {programmer.Image().begin(), programmer.Image().begin() + static_cast<long>(size)};
}

// The images hold every byte value, flow control, end of file and line ends among them.
TEST(ChipOperations, EveryTypeIsReadVerifiedAndWrittenByteExact) {
    TempDir dir;
    for (const TypeOnTheLine& type : kTypes) {
        const auto size = static_cast<std::size_t>(type.size);
        const Bytes chip = PatternImage(size, type.size + 7),
                    written = PatternImage(size, type.size + 70);
        WriteFileBytes(dir.File("chip.bin"), chip);
        // An over-long version answer: its surplus bytes must not shift the reads.
        ProgrammerSession session(type.name,
                                  {"--image", dir.File("chip.bin"), "--board-version", "2.1XY"});
        EXPECT_EQ(session.detection.version, "2.1");
        Programmer& programmer = session.programmer;
        EXPECT_TRUE(programmer.Run(ChipOperation::Read).Succeeded());
        EXPECT_EQ(ImageStart(programmer, size), chip) << type.name;
        EXPECT_TRUE(programmer.Run(ChipOperation::Verify).Succeeded()) << type.name;
        programmer.PutImage(0, written);
        EXPECT_TRUE(programmer.Run(ChipOperation::Write).Succeeded()) << type.name;

        const Texts read = OperationTrace(type, 'R', chip),
                    write = OperationTrace(type, 'W', written);
        EXPECT_EQ(read.back().substr(0, std::strlen(type.lastRead)), type.lastRead);
        Texts expected = read;
        expected.insert(expected.end(), read.begin(), read.end());  // the Verify reads the same
        expected.insert(expected.end(), write.begin(), write.end());
        const Texts trace = session.StopAndTrace();
        const auto [got, wanted] =
            std::mismatch(trace.begin(), trace.end(), expected.begin(), expected.end());
        EXPECT_TRUE(got == trace.end() && wanted == expected.end())
            << type.name << ", line " << got - trace.begin();
        EXPECT_EQ(session.sim.Dump(), written) << type.name;
    }
}

// Each outcome names where it stopped and what the board answered there, and nothing is sent
// for the address after.
TEST(ChipOperations, OperationsStopAtTheFirstErrorAndSayWhere) {
    ProgrammerSession verify("24C02");
    verify.programmer.PutImage(0x1F, {0x00});
    verify.programmer.PutImage(0x28, {0x00});
    const ChipOutcome differs = verify.programmer.Run(ChipOperation::Verify);
    EXPECT_EQ(differs.result, ChipResult::Differs);
    EXPECT_EQ(differs.address, 0x1F);
    EXPECT_EQ(differs.chipByte, 0xFF);
    EXPECT_EQ(differs.imageByte, 0x00);
    EXPECT_EQ(verify.StopAndTrace().back(), "52 1F -> FF");

    TempDir dir;
    WriteFileBytes(dir.File("chip.bin"), {0xFF, 0xFF, 0x5A});
    ProgrammerSession blank("24C02", {"--image", dir.File("chip.bin")});
    const ChipOutcome notBlank = blank.programmer.Run(ChipOperation::BlankCheck);
    EXPECT_EQ(notBlank.result, ChipResult::NotBlank);
    EXPECT_EQ(notBlank.address, 2);
    EXPECT_EQ(notBlank.chipByte, 0x5A);

    // A board that answers a write of 0x00 at 0x105 with 0xFF.
    ProgrammerSession write("24C04", {"--bad-reply-at", "0x105"});
    write.programmer.PutImage(0, Bytes(512, 0x00));
    const ChipOutcome failed = write.programmer.Run(ChipOperation::Write);
    EXPECT_EQ(failed.result, ChipResult::WriteFailed);
    EXPECT_EQ(failed.address, 0x105);
    EXPECT_EQ(failed.chipByte, 0xFF);
    EXPECT_EQ(write.StopAndTrace().back(), "57 05 00 -> FF");
}

TEST(ChipOperations, EraseLeavesABlankChipAndTheImageAsItWas) {
    TempDir dir;
    WriteFileBytes(dir.File("chip.bin"), {0x00});
    ProgrammerSession session("24C04", {"--image", dir.File("chip.bin")});
    session.programmer.PutImage(0, {0x12, 0x34});
    session.programmer.NameImage("/images/old.bin");
    EXPECT_TRUE(session.programmer.Run(ChipOperation::Erase).Succeeded());
    EXPECT_TRUE(session.programmer.Run(ChipOperation::BlankCheck).Succeeded());
    EXPECT_EQ(ImageStart(session.programmer, 3), (Bytes{0x12, 0x34, 0xFF}));
    EXPECT_EQ(session.programmer.ImageName(), "[buffer]");
    session.sim.Stop();
    EXPECT_EQ(session.sim.Dump(), Bytes(512, 0xFF));
}

TEST(ChipOperations, SilentBoardEndsAReadKeepingTheBytesBefore) {
    TempDir dir;
    const Bytes chip = PatternImage(256, 5);
    WriteFileBytes(dir.File("chip.bin"), chip);
    // One reply for the version, then a hundred reads.
    ProgrammerSession session("24C02", {"--image", dir.File("chip.bin"), "--silent-after", "101"});
    Programmer& programmer = session.programmer;
    programmer.PutImage(150, {0x42});
    programmer.NameImage("/images/old.bin");
    const ChipOutcome outcome = programmer.Run(ChipOperation::Read);
    EXPECT_EQ(outcome.result, ChipResult::TransmissionError);
    EXPECT_EQ(outcome.address, 100);
    EXPECT_EQ(ImageStart(programmer, 100), Bytes(chip.begin(), chip.begin() + 100));
    EXPECT_EQ(programmer.Image()[100], 0xFF);
    EXPECT_EQ(programmer.Image()[150], 0x42);
    EXPECT_EQ(programmer.ImageName(), "[buffer]");
    EXPECT_EQ(session.StopAndTrace().back(), "52 64");
}

}  // namespace

}  // namespace korvel
