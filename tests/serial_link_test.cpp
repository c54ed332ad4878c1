// The serial link against the board simulator on a real pseudo-terminal. The exact exchanges of
// every type are in the device operations' tests.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/BoardSession.h"
#include "tests/support/Stopwatch.h"

namespace {

// A read, or a write when data is given; the reply, or -1 when none came.
int Exchange(CKorvelDlg& dlg, char command, std::int32_t address, int data = -1) {
    dlg.SendAddressedCommand(command, address);
    if (data >= 0) {
        dlg.SendByte(static_cast<char>(data));
    }
    return dlg.WaitReply() ? static_cast<std::uint8_t>(dlg.reply) : -1;
}

TEST(SerialLink, PortsThatCannotBeUsed) {
    RecordingHost host;
    CKorvelDlg dlg(host);
    EXPECT_FALSE(dlg.OpenCommPort(0));
    setenv("KORVEL_COM3", "/dev/korvel-no-such-port", 1);
    EXPECT_FALSE(dlg.OpenCommPort(3));
    unsetenv("KORVEL_COM3");

    // Without a port, sends vanish and receives fail, keeping the last reply.
    dlg.reply = 0x42;
    dlg.SendByte('F');
    EXPECT_EQ(dlg.ReceiveByte(), 0);
    EXPECT_EQ(dlg.reply, 0x42);

    BoardSession holder("24C02");
    EXPECT_FALSE(dlg.OpenCommPort(2)) << "the port is held";
    holder.dlg.CloseCommPort();
    EXPECT_TRUE(dlg.OpenCommPort(2));
}

// Root ignores a line's exclusive flag; an ordinary user would find the port refused after the
// first close, while the simulator keeps the line open.
TEST(SerialLink, OrdinaryUserCanOpenThePortAgainAfterClosingIt) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to become an ordinary user";
    }
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(2);
        }
        bool reopened = false;
        {
            SimulatorProcess sim({"--chip", "24C02"});
            sim.ServeAsPort(2);
            RecordingHost host;
            CKorvelDlg dlg(host);
            const bool first = dlg.OpenCommPort(2);
            dlg.CloseCommPort();
            reopened = first && dlg.OpenCommPort(2);
        }
        _exit(reopened ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(SerialLink, FlowControlEndOfFileAndZeroBytesPassAsData) {
    BoardSession board("24C02");
    const std::vector<std::uint8_t> awkward = {0x11, 0x13, 0x1A, 0x00, 0x0D,
                                               0x0A, 0x03, 0x7F, 0xFF};
    for (int a = 0; a < 9; ++a) {
        EXPECT_EQ(Exchange(board.dlg, 'W', a, awkward[a]), awkward[a]);
    }
    for (int a = 0; a < 9; ++a) {
        EXPECT_EQ(Exchange(board.dlg, 'R', a), awkward[a]);
    }
    EXPECT_EQ(board.StopAndTrace()[3], "57 03 00 -> 00");
    EXPECT_TRUE(std::equal(awkward.begin(), awkward.end(), board.sim.Dump().begin()));
}

TEST(SerialLink, SilentLateAndVanishedBoards) {
    BoardSession silent("24C02", {"--silent-after", "1"});  // the version answer only
    silent.dlg.reply = 0x33;
    silent.dlg.SendAddressedCommand('R', 1);
    Stopwatch receive;
    EXPECT_EQ(silent.dlg.ReceiveByte(), 0);
    EXPECT_GE(receive.Ms(), 180);
    EXPECT_LT(receive.Ms(), 600);
    EXPECT_EQ(silent.dlg.reply, 0x33);
    Stopwatch wait;
    EXPECT_FALSE(silent.dlg.WaitReply());
    EXPECT_GE(wait.Ms(), 1900);
    EXPECT_LT(wait.Ms(), 4000);

    // A reply that misses one receive is taken by the next one, at once.
    BoardSession late("24C02", {"--delay-ms", "300"});
    late.dlg.SendAddressedCommand('R', 5);
    EXPECT_EQ(late.dlg.ReceiveByte(), 0);
    Stopwatch next;
    EXPECT_EQ(late.dlg.ReceiveByte(), 1);
    EXPECT_LT(next.Ms(), 190);
    EXPECT_EQ(static_cast<std::uint8_t>(late.dlg.reply), 0xFF);

    BoardSession vanished("24C02");
    vanished.sim.Kill();
    Stopwatch gone;
    EXPECT_EQ(Exchange(vanished.dlg, 'R', 0), -1);
    EXPECT_LT(gone.Ms(), 300);
}

}  // namespace
