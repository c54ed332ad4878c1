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

// A range reads only its addresses into the image; a chip address rides in the select byte
// beside the block bits; a type that cannot be wired to an address refuses it.
TEST(ChipOperations, RangesAndChipAddressesOnTheLine) {
    ProgrammerSession session("24C04");
    Programmer& programmer = session.programmer;
    EXPECT_FALSE(programmer.SelectRange({0x1F0, 0x20}));  // past the end
    EXPECT_FALSE(programmer.SelectRange({0x10, 0}));
    ASSERT_TRUE(programmer.SelectRange({0xFE, 3}));
    EXPECT_FALSE(programmer.SelectChipAddress(1));  // A0 is address bit 8 on a 24C04
    ASSERT_TRUE(programmer.SelectChipAddress(6));
    programmer.PutImage(0, Bytes(512, 0x11));
    EXPECT_TRUE(programmer.Run(ChipOperation::Read).Succeeded());
    Bytes expected(0x102, 0x11);
    expected[0xFE] = expected[0xFF] = expected[0x100] = 0xFF;
    EXPECT_EQ(ImageStart(programmer, 0x102), expected);
    EXPECT_EQ(session.StopAndTrace(),
              (Texts{"54 00", "43 AC", "52 FE -> FF", "52 FF -> FF", "43 AE", "52 00 -> FF"}));

    for (const auto& [type, pins] : {std::pair{"24C00", 0b000},
                                     {"24C02", 0b111},
                                     {"24C08", 0b100},
                                     {"24C16", 0b000},
                                     {"24C256", 0b111}}) {
        Programmer chip;
        chip.SelectChip(FindChipType(type));
        for (int address = 0; address < 8; ++address) {
            EXPECT_EQ(chip.SelectChipAddress(address), (address & ~pins) == 0)
                << type << " at " << address;
        }
    }
}

// Asked to stop, an operation ends after the address or block it is at, and says which address
// comes next.
TEST(ChipOperations, StopsWhereAsked) {
    for (const bool fast : {false, true}) {
        ProgrammerSession session(
            "24C16", fast ? std::vector<std::string>{"--open-board"} : std::vector<std::string>{});
        Programmer& programmer = session.programmer;
        const ChipOutcome outcome =
            programmer.Run(ChipOperation::Read, [&programmer](std::int32_t done, std::int32_t) {
                if (done >= 10) {
                    programmer.RequestStop();
                }
            });
        EXPECT_EQ(outcome.result, ChipResult::Stopped);
        EXPECT_EQ(outcome.address, fast ? 64 : 10);
        // The next operation starts afresh.
        EXPECT_TRUE(programmer.Run(ChipOperation::BlankCheck).Succeeded()) << fast;
    }
}

// An edit keeps what a comparison found: a difference it reaches gets the image's new byte, and
// is settled once the image holds the chip's byte.
TEST(ChipOperations, AnEditKeepsTheDifferencesItDoesNotSettle) {
    ProgrammerSession session("24C02");  // an erased chip
    Programmer& programmer = session.programmer;
    programmer.PutImage(0x10, {0x00, 0x01, 0x02});
    ASSERT_TRUE(programmer.Compare().read.Succeeded());
    const auto listed = [&programmer] {
        Texts lines;
        for (const Difference& d : programmer.Differences()) {
            lines.push_back(Hex(static_cast<unsigned>(d.address)) + " " + Hex(d.chip) + " " +
                            Hex(d.image));
        }
        return lines;
    };
    programmer.EditImage(0x10, {0xFF, 0x05});
    EXPECT_EQ(listed(), (Texts{"11 FF 05", "12 FF 02"}));
    programmer.EditImage(0x40, {0x00});
    EXPECT_EQ(listed(), (Texts{"11 FF 05", "12 FF 02"}));
    programmer.PutImage(0x12, {0x07});
    ASSERT_EQ(programmer.LoadImage(session.sim.File("missing.bin"), ImageFormat::Raw).result,
              LoadResult::CantOpen);
    EXPECT_EQ(listed(), (Texts{"11 FF 05", "12 FF 02"})) << "nothing loaded";
    programmer.Run(ChipOperation::BlankCheck);
    EXPECT_TRUE(listed().empty());
}

// A comparison lists every difference and leaves the image as it was; the image holds bytes to
// be saved after a Read or an edit, not after an Open or a Save.
TEST(ChipOperations, CompareFindsEveryDifferenceAndTheImageKnowsWhatIsUnsaved) {
    TempDir dir;
    ProgrammerSession session("24C02");
    Programmer& programmer = session.programmer;
    programmer.PutImage(0, Bytes(256, 0xFF));
    programmer.PutImage(0x10, {0x00, 0x01});
    programmer.PutImage(0xFF, {0x7E});
    const CompareOutcome compared = programmer.Compare();
    EXPECT_TRUE(compared.read.Succeeded());
    const auto listed = [](const std::vector<Difference>& differences) {
        Texts lines;
        for (const Difference& d : differences) {
            lines.push_back(Hex(static_cast<unsigned>(d.address)) + " " + Hex(d.chip) + " " +
                            Hex(d.image));
        }
        return lines;
    };
    EXPECT_EQ(listed(compared.differences), (Texts{"10 FF 00", "11 FF 01", "FF FF 7E"}));
    EXPECT_EQ(listed(programmer.Differences()), listed(compared.differences));
    EXPECT_EQ(programmer.Image()[0x10], 0x00);
    EXPECT_FALSE(programmer.ImageUnsaved());

    EXPECT_EQ(programmer.Run(ChipOperation::Verify).result, ChipResult::Differs);
    EXPECT_EQ(listed(programmer.Differences()), Texts{"10 FF 00"});

    programmer.Run(ChipOperation::Read);
    EXPECT_TRUE(programmer.ImageUnsaved());
    EXPECT_TRUE(programmer.Differences().empty());
    ASSERT_EQ(programmer.SaveImage(dir.File("chip.bin"), ImageFormat::Raw).result,
              SaveResult::Saved);
    EXPECT_FALSE(programmer.ImageUnsaved());
    programmer.EditImage(3, {0x42});
    EXPECT_TRUE(programmer.ImageUnsaved());
    EXPECT_EQ(programmer.ImageName(), "[buffer]");
    ASSERT_EQ(programmer.LoadImage(dir.File("chip.bin"), ImageFormat::Raw).result,
              LoadResult::Loaded);
    EXPECT_FALSE(programmer.ImageUnsaved());
}

}  // namespace

}  // namespace korvel
