// The five device operations end to end: dialog, serial link, pseudo-terminal, board simulator.
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

// The images hold every byte value, flow control, end of file and line ends among them.
TEST(DeviceOperations, EveryTypeIsReadVerifiedAndWrittenByteExact) {
    TempDir dir;
    for (const TypeOnTheLine& type : kTypes) {
        const auto size = static_cast<std::size_t>(type.size);
        const Bytes chip = PatternImage(size, type.size + 7),
                    written = PatternImage(size, type.size + 70);
        WriteFileBytes(dir.File("chip.bin"), chip);
        // An over-long version answer: its surplus bytes must not shift the reads.
        BoardSession session(type.name,
                             {"--image", dir.File("chip.bin"), "--board-version", "2.1XY"});
        EXPECT_EQ(session.dlg.m_HwStat, "Hardware v2.1");
        session.dlg.OnClickReadbutton();
        EXPECT_TRUE(std::equal(chip.begin(), chip.end(), session.dlg.eebuf.begin())) << type.name;
        session.dlg.OnClickVerifybutton();
        std::copy(written.begin(), written.end(), session.dlg.eebuf.begin());
        session.dlg.OnClickWritebutton();
        EXPECT_EQ(session.user.boxes, Texts{"Verify 0: Verify ok"}) << type.name;

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

TEST(DeviceOperations, ChecksStopAtTheFirstErrorAndAnErasedChipIsBlank) {
    BoardSession verify("24C02");
    verify.dlg.eebuf[0x1F] = 0x00;
    verify.dlg.eebuf[0x28] = 0x00;
    verify.dlg.OnClickVerifybutton();
    EXPECT_EQ(verify.user.boxes, Texts{"Verify 0: Verify failed !\nFirst error at addr 1fh"});
    EXPECT_EQ(verify.StopAndTrace().back(), "52 1F -> FF");

    TempDir dir;
    WriteFileBytes(dir.File("chip.bin"), {0x00});
    BoardSession erase("24C04", {"--image", dir.File("chip.bin")});
    erase.dlg.OnClickErasebutton();
    erase.dlg.OnClickBlankbutton();
    EXPECT_EQ(erase.user.boxes, Texts{"Blank check 0: Device is blank"});
    erase.sim.Stop();
    EXPECT_EQ(erase.sim.Dump(), Bytes(512, 0xFF));
}

TEST(DeviceOperations, SilentBoardEndsAReadKeepingTheBytesBefore) {
    TempDir dir;
    const Bytes chip = PatternImage(256, 5);
    WriteFileBytes(dir.File("chip.bin"), chip);
    // One reply for the version, then a hundred reads.
    BoardSession session("24C02", {"--image", dir.File("chip.bin"), "--silent-after", "101"});
    session.dlg.eebuf[150] = 0x42;
    session.dlg.filename = "/images/old.bin";
    session.dlg.OnClickReadbutton();
    EXPECT_EQ(session.user.boxes, Texts{"Error 0: Transmission error !"});
    EXPECT_TRUE(std::equal(chip.begin(), chip.begin() + 100, session.dlg.eebuf.begin()));
    EXPECT_EQ(session.dlg.eebuf[100], 0xFF);
    EXPECT_EQ(session.dlg.eebuf[150], 0x42);
    EXPECT_EQ(session.dlg.filename, "[buffer]");
    EXPECT_EQ(session.user.Last().file, "File: [buffer]");
    EXPECT_EQ(session.user.Last().action, "Ready.");
    EXPECT_EQ(session.StopAndTrace().back(), "52 64");
}

}  // namespace

}  // namespace korvel
