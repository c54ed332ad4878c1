// The serial link against the board simulator on a real pseudo-terminal.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "dialog/KorvelDlg.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/Stopwatch.h"

namespace {

struct Link {
    explicit Link(const std::vector<std::string>& options) : sim(options) {
        sim.ServeAsPort(2);
        EXPECT_TRUE(dlg.OpenCommPort(2));
    }
    SimulatorProcess sim;
    RecordingHost host;
    CKorvelDlg dlg{host};
};

TEST(SerialLink, OpenFailsForPortZeroMissingDeviceAndNonTerminal) {
    RecordingHost host;
    CKorvelDlg dlg(host);
    EXPECT_FALSE(dlg.OpenCommPort(0));
    setenv("KORVEL_COM3", "/dev/korvel-no-such-port", 1);
    EXPECT_FALSE(dlg.OpenCommPort(3));
    setenv("KORVEL_COM3", "/dev/null", 1);
    EXPECT_FALSE(dlg.OpenCommPort(3));
    EXPECT_FALSE(dlg.hComm.IsOpen());
    unsetenv("KORVEL_COM3");
}

TEST(SerialLink, NoPortMeansSendsVanishAndReceivesFailAtOnce) {
    RecordingHost host;
    CKorvelDlg dlg(host);
    dlg.reply = 0x42;
    Stopwatch watch;
    dlg.SendByte('F');
    EXPECT_EQ(dlg.ReceiveByte(), 0);
    dlg.CloseCommPort();
    dlg.CloseCommPort();
    EXPECT_LT(watch.Ms(), 50);
    EXPECT_EQ(dlg.reply, 0x42);
}

TEST(SerialLink, HeldPortCannotBeOpenedAgainUntilClosed) {
    Link first({"--chip", "24C02"});
    RecordingHost host;
    CKorvelDlg second(host);
    EXPECT_FALSE(second.OpenCommPort(2));
    first.dlg.CloseCommPort();
    EXPECT_TRUE(second.OpenCommPort(2));
    // The first holder may come back once the second lets go.
    second.CloseCommPort();
    EXPECT_TRUE(first.dlg.OpenCommPort(2));
}

TEST(SerialLink, ControlCharactersAndZeroPassAsData) {
    Link link({"--chip", "24C02"});
    const std::uint8_t awkward[] = {0x11, 0x13, 0x1A, 0x00, 0x0D, 0x0A, 0x03, 0x04,
                                    0x7F, 0xFF, 0x1C, 0x15, 0x17, 0x12, 0x0F, 0x16};
    int address = 0;
    for (std::uint8_t byte : awkward) {
        link.dlg.SendAddressedCommand('W', address++);
        link.dlg.SendByte(static_cast<char>(byte));
        ASSERT_TRUE(link.dlg.WaitReply()) << int(byte);
        EXPECT_EQ(static_cast<std::uint8_t>(link.dlg.reply), byte);
    }
    address = 0;
    for (std::uint8_t byte : awkward) {
        link.dlg.SendAddressedCommand('R', address++);
        ASSERT_TRUE(link.dlg.WaitReply());
        EXPECT_EQ(static_cast<std::uint8_t>(link.dlg.reply), byte);
    }
    link.sim.Stop();
    const auto trace = link.sim.Trace();
    ASSERT_EQ(trace.size(), 32u);
    EXPECT_EQ(trace[0], "57 00 11 -> 11");
    EXPECT_EQ(trace[3], "57 03 00 -> 00");
    EXPECT_EQ(trace[18], "52 02 -> 1A");
    const auto chip = link.sim.Dump();
    EXPECT_TRUE(std::equal(std::begin(awkward), std::end(awkward), chip.begin()));
}

TEST(SerialLink, SilentBoardTimesOutAndKeepsTheOldReply) {
    Link link({"--chip", "24C02", "--silent-after", "1"});
    link.dlg.SendAddressedCommand('R', 0);
    ASSERT_TRUE(link.dlg.WaitReply());
    EXPECT_EQ(static_cast<std::uint8_t>(link.dlg.reply), 0xFF);

    link.dlg.reply = 0x33;
    link.dlg.SendAddressedCommand('R', 1);
    Stopwatch one;
    EXPECT_EQ(link.dlg.ReceiveByte(), 0);
    EXPECT_GE(one.Ms(), 180);
    EXPECT_LT(one.Ms(), 600);
    EXPECT_EQ(link.dlg.reply, 0x33);

    Stopwatch wait;
    EXPECT_FALSE(link.dlg.WaitReply());
    EXPECT_GE(wait.Ms(), 1900);
    EXPECT_LT(wait.Ms(), 4000);
}

TEST(SerialLink, LateByteIsTakenByTheNextReceive) {
    Link link({"--chip", "24C02", "--delay-ms", "300"});
    link.dlg.SendAddressedCommand('R', 5);
    EXPECT_EQ(link.dlg.ReceiveByte(), 0);
    Stopwatch next;
    EXPECT_EQ(link.dlg.ReceiveByte(), 1);
    EXPECT_LT(next.Ms(), 190);
    EXPECT_EQ(static_cast<std::uint8_t>(link.dlg.reply), 0xFF);
}

TEST(SerialLink, ThreeByteReadEndsEarlyOnAShortAnswer) {
    Link full({"--chip", "24C02", "--version", "2.1"});
    std::uint8_t answer[3] = {};
    full.dlg.SendByte('F');
    ASSERT_EQ(full.dlg.hComm.Read(answer, 3), 3u);
    EXPECT_EQ(std::string(answer, answer + 3), "2.1");
    full.dlg.CloseCommPort();
    full.sim.Stop();

    Link shortAnswer({"--chip", "24C02", "--short-version", "2"});
    shortAnswer.dlg.SendByte('F');
    Stopwatch watch;
    EXPECT_EQ(shortAnswer.dlg.hComm.Read(answer, 3), 2u);
    // 100 ms after the last byte, well before the 400 ms limit of the whole read.
    EXPECT_LT(watch.Ms(), 380);
}

TEST(SerialLink, VanishedPortFailsAtOnce) {
    Link link({"--chip", "24C02"});
    link.sim.Kill();
    Stopwatch watch;
    link.dlg.SendAddressedCommand('R', 0);
    EXPECT_FALSE(link.dlg.WaitReply());
    EXPECT_LT(watch.Ms(), 300);
}

}  // namespace
