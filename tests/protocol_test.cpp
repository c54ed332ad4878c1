// Board commands as they appear on the line, and the board's addressing of its chip.
#include <gtest/gtest.h>

#include "dialog/KorvelDlg.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/Stopwatch.h"

namespace {

struct Board {
    Board(const char* chip, std::vector<std::string> options = {}) : sim(With(chip, options)) {
        sim.ServeAsPort(2);
        EXPECT_TRUE(dlg.OpenCommPort(2));
        dlg.device = static_cast<std::int8_t>(FindDevice(chip));
    }
    static std::vector<std::string> With(const char* chip, std::vector<std::string> options) {
        options.insert(options.begin(), {"--chip", chip});
        return options;
    }
    int Read(std::int32_t address) {
        dlg.SendAddressedCommand('R', address);
        return dlg.WaitReply() ? static_cast<std::uint8_t>(dlg.reply) : -1;
    }
    int Write(std::int32_t address, std::uint8_t data) {
        dlg.SendAddressedCommand('W', address);
        dlg.SendByte(static_cast<char>(data));
        return dlg.WaitReply() ? static_cast<std::uint8_t>(dlg.reply) : -1;
    }
    std::vector<std::string> StopAndTrace() {
        sim.Stop();
        return sim.Trace();
    }
    SimulatorProcess sim;
    RecordingHost host;
    CKorvelDlg dlg{host};
};

std::vector<std::uint8_t> Counting(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    return bytes;
}

TEST(Protocol, OneAddressByteTypeSendsModeSelectAndLowByte) {
    Board board("24C02");
    board.dlg.SendModeCommand();
    board.dlg.SendSelectCommand(0);
    EXPECT_EQ(board.Read(0x00), 0xFF);
    EXPECT_EQ(board.Write(0x10, 0xFF), 0xFF);
    EXPECT_EQ(board.Read(0xFF), 0xFF);
    const std::vector<std::string> expected = {"54 00", "43 A0", "52 00 -> FF", "57 10 FF -> FF",
                                               "52 FF -> FF"};
    EXPECT_EQ(board.StopAndTrace(), expected);
}

TEST(Protocol, TwoAddressByteTypeSendsLowThenHigh) {
    Board board("24C256");
    board.dlg.SendModeCommand();
    board.dlg.SendSelectCommand(0);
    EXPECT_EQ(board.Write(0x1234, 0x5A), 0x5A);
    EXPECT_EQ(board.Read(0x1234), 0x5A);
    EXPECT_EQ(board.Write(0x7FFF, 0x01), 0x01);
    const std::vector<std::string> expected = {"54 01", "43 A0", "57 34 12 5A -> 5A",
                                               "52 34 12 -> 5A", "57 FF 7F 01 -> 01"};
    EXPECT_EQ(board.StopAndTrace(), expected);
    const auto chip = board.sim.Dump();
    ASSERT_EQ(chip.size(), 32768u);
    EXPECT_EQ(chip[0x1234], 0x5A);
    EXPECT_EQ(chip[0x7FFF], 0x01);
    EXPECT_EQ(chip[0x1233], 0xFF);
}

TEST(Protocol, SelectByteCarriesTheBlockOfOneAddressByteTypes) {
    TempDir dir;
    const auto image = Counting(2048);
    WriteFileBytes(dir.File("chip.bin"), image);
    Board c16("24C16", {"--image", dir.File("chip.bin")});
    c16.dlg.SendModeCommand();
    for (int block = 0; block < 8; ++block) {
        c16.dlg.SendSelectCommand(block);
        EXPECT_EQ(c16.Read(0x34), image[block * 256 + 0x34]) << block;
    }
    const auto trace = c16.StopAndTrace();
    ASSERT_EQ(trace.size(), 17u);
    EXPECT_EQ(trace[1], "43 A0");
    EXPECT_EQ(trace[3], "43 A2");
    EXPECT_EQ(trace[15], "43 AE");

    // A 24C04 has two blocks; a select beyond them wraps like a real part.
    Board c04("24C04", {"--image", dir.File("chip.bin")});
    c04.dlg.SendModeCommand();
    c04.dlg.SendSelectCommand(1);
    EXPECT_EQ(c04.Read(0x01), image[0x101]);
    c04.dlg.SendSelectCommand(2);
    EXPECT_EQ(c04.Read(0x01), image[0x001]);
}

TEST(Protocol, ReplyWaitAcceptsALateReplyAndGivesUpAfterTenTries) {
    // 1.7 s late lands in the ninth 200 ms receive.
    Board late("24C02", {"--delay-ms", "1700"});
    Stopwatch watch;
    EXPECT_EQ(late.Read(3), 0xFF);
    EXPECT_GE(watch.Ms(), 1650);
    late.sim.Stop();

    Board silent("24C02", {"--silent-after", "0"});
    Stopwatch giveUp;
    EXPECT_EQ(silent.Read(3), -1);
    EXPECT_GE(giveUp.Ms(), 1900);
    EXPECT_LT(giveUp.Ms(), 4000);
}

TEST(Protocol, BoardFaultsSpoilExactlyWhatWasAsked) {
    Board board("24C32", {"--bad-reply-at", "0x20", "--version", "A\\x00B"});
    board.dlg.SendModeCommand();
    EXPECT_EQ(board.Read(0x1F), 0xFF);
    EXPECT_EQ(board.Read(0x20), 0x00);
    EXPECT_EQ(board.Write(0x20, 0x5A), 0xA5);
    board.dlg.SendByte('F');
    std::uint8_t answer[3] = {};
    ASSERT_EQ(board.dlg.hComm.Read(answer, 3), 3u);
    EXPECT_EQ(answer[0], 'A');
    EXPECT_EQ(answer[1], 0x00);
    EXPECT_EQ(answer[2], 'B');
    board.sim.Stop();
    EXPECT_EQ(board.sim.Dump()[0x20], 0xFF);  // a spoilt write leaves the chip alone
}

}  // namespace
