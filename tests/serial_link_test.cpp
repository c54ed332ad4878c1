// The serial link against the board simulator on a real pseudo-terminal. The exact exchanges of
// every type, and every byte value passing both ways, are in the device operations' tests.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>

#include "platform/Signals.h"
#include "tests/support/BoardSession.h"
#include "tests/support/Bounded.h"

namespace korvel {

namespace {

TEST(SerialLink, PortsThatCannotBeUsed) {
    ScriptedUser user;
    CKorvelDlg dlg(user);
    EXPECT_FALSE(dlg.OpenCommPort(0));
    // Without a port, sends vanish and receives fail, keeping the last reply.
    dlg.reply = 0x42;
    dlg.SendByte('F');
    EXPECT_EQ(dlg.ReceiveByte(), 0);
    EXPECT_EQ(dlg.reply, 0x42);
}

// Whether someone holds the line with TIOCEXCL, asked through a descriptor of our own. The
// question needs no privilege; an ordinary user who is refused the open has the answer too.
bool HeldExclusively(const std::string& device) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return errno == EBUSY;
    }
    int exclusive = 0;
    ioctl(fd, TIOCGEXCL, &exclusive);
    close(fd);
    return exclusive != 0;
}

TEST(SerialLink, ExclusiveBothWays) {
    SimulatorProcess sim({"--chip", "24C02"});
    ScriptedUser user;
    CKorvelDlg first(user), second(user);
    ASSERT_TRUE(first.OpenCommPort(2));
    // A second copy is refused, and its failure leaves the first one's claim alone.
    EXPECT_FALSE(second.OpenCommPort(2));
    EXPECT_TRUE(HeldExclusively(sim.Link()));
    first.CloseCommPort();
    EXPECT_FALSE(HeldExclusively(sim.Link()));

    // A line that another program holds exclusively is refused, to root as well.
    const int other = open(sim.Link().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(ioctl(other, TIOCEXCL), 0);
    EXPECT_FALSE(first.OpenCommPort(2));
    EXPECT_NE(first.hComm.LastError().find(" is in use"), std::string::npos);
    EXPECT_TRUE(HeldExclusively(sim.Link())) << "its claim stays";
    ioctl(other, TIOCNXCL);
    close(other);
    EXPECT_TRUE(first.OpenCommPort(2));
}

// A program ended by a signal gives the line back as closing would, while the board keeps it open.
TEST(SerialLink, SignalsThatEndTheProgramLeaveTheLineFree) {
    SimulatorProcess sim({"--chip", "24C02"});
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = fork();
        if (child == 0) {
            InstallSignalHandling();
            ScriptedUser user;
            CKorvelDlg dlg(user);
            if (dlg.OpenCommPort(2)) {
                raise(signal);
            }
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_FALSE(HeldExclusively(sim.Link())) << signal;
    }
}

// The driver's low latency, on a real UART where the machine has one: switched on while the port
// is open, and the driver's flags as they were once it is closed.
TEST(SerialLink, RealUartRunsWithLowLatencyWhileOpen) {
    std::ifstream type("/sys/class/tty/ttyS0/type");
    int uart = 0;
    if (!(type >> uart) || uart == 0) {
        GTEST_SKIP() << "no real UART at /dev/ttyS0 (/sys/class/tty/ttyS0/type missing or 0)";
    }
    const auto flags = [](int fd) {
        serial_struct serial{};
        return ioctl(fd, TIOCGSERIAL, &serial) == 0 ? serial.flags : -1;
    };
    const auto setFlags = [](int fd, int value) {
        serial_struct serial{};
        ioctl(fd, TIOCGSERIAL, &serial);
        serial.flags = value;
        return ioctl(fd, TIOCSSERIAL, &serial) == 0;
    };
    const int watcher = open("/dev/ttyS0", O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (watcher < 0) {
        GTEST_SKIP() << "/dev/ttyS0 cannot be opened here: " << std::strerror(errno);
    }
    // The port starts without low latency, whatever it had; it gets that back at the end.
    const int original = flags(watcher);
    const int before = original & ~ASYNC_LOW_LATENCY;
    ASSERT_TRUE(setFlags(watcher, before));
    {
        SerialPort port;
        ASSERT_TRUE(port.Open("/dev/ttyS0")) << port.LastError();
        EXPECT_NE(flags(watcher) & ASYNC_LOW_LATENCY, 0);
    }
    EXPECT_EQ(flags(watcher), before);
    setFlags(watcher, original);
    close(watcher);
}

// A reply that misses one receive is taken by the next one, at once; a board that has gone is
// found out at once, not after the full wait.
TEST(SerialLink, LateAndVanishedBoards) {
    BoardSession late("24C02", {"--delay-ms", "300"});
    late.dlg.board->SendAddressedCommand('R', 5, false);
    EXPECT_EQ(late.dlg.ReceiveByte(), 0);
    Stopwatch next;
    EXPECT_EQ(late.dlg.ReceiveByte(), 1);
    EXPECT_LT(next.Ms(), 190);
    EXPECT_EQ(static_cast<std::uint8_t>(late.dlg.reply), 0xFF);

    BoardSession vanished("24C02");
    vanished.sim.Kill();
    Stopwatch gone;
    vanished.dlg.board->SendAddressedCommand('R', 0, false);
    EXPECT_FALSE(vanished.dlg.board->WaitReply());
    EXPECT_LT(gone.Ms(), 1000);
}

}  // namespace

}  // namespace korvel
