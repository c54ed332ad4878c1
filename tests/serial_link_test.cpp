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

#include "boards/ByteProtocolBoard.h"
#include "platform/Signals.h"
#include "tests/support/BoardSession.h"
#include "tests/support/Bounded.h"

namespace korvel {

namespace {

TEST(SerialLink, PortsThatCannotBeUsed) {
    Programmer programmer;
    const Detection none = programmer.Detect(0);
    EXPECT_EQ(none.result, DetectionResult::CantOpen);
    EXPECT_EQ(none.problem, "no port selected");
    // Without a port, sends vanish and receives fail, keeping what the caller had.
    ByteProtocolBoard board;
    board.SendByte('F');
    std::uint8_t byte = 0x42;
    EXPECT_FALSE(board.ReceiveByte(byte));
    EXPECT_EQ(byte, 0x42);
    EXPECT_FALSE(board.ReadByte(0));
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
    ByteProtocolBoard first, second;
    ASSERT_TRUE(first.Connect(sim.Link()));
    // A second copy is refused, and its failure leaves the first one's claim alone.
    EXPECT_FALSE(second.Connect(sim.Link()));
    EXPECT_TRUE(HeldExclusively(sim.Link()));
    first.Disconnect();
    EXPECT_FALSE(HeldExclusively(sim.Link()));

    // A line that another program holds exclusively is refused, to root as well.
    const int other = open(sim.Link().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(ioctl(other, TIOCEXCL), 0);
    EXPECT_FALSE(first.Connect(sim.Link()));
    EXPECT_EQ(first.Problem(), sim.Link() + " is in use: Device or resource busy");
    EXPECT_TRUE(HeldExclusively(sim.Link())) << "its claim stays";
    ioctl(other, TIOCNXCL);
    close(other);
    EXPECT_TRUE(first.Connect(sim.Link()));
}

// A program ended by a signal gives the line back as closing would, while the board keeps it open.
TEST(SerialLink, SignalsThatEndTheProgramLeaveTheLineFree) {
    SimulatorProcess sim({"--chip", "24C02"});
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = fork();
        if (child == 0) {
            InstallSignalHandling();
            ByteProtocolBoard board;
            if (board.Connect(sim.Link())) {
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
        ASSERT_TRUE(port.Open("/dev/ttyS0", {9600, 8, Parity::None, 1})) << port.LastError();
        EXPECT_NE(flags(watcher) & ASYNC_LOW_LATENCY, 0);
    }
    EXPECT_EQ(flags(watcher), before);
    setFlags(watcher, original);
    close(watcher);
}

// A reply that misses one receive is taken by the next one, at once; a board that has gone is
// found out at once, not after the full wait.
TEST(SerialLink, LateAndVanishedBoards) {
    SimulatorProcess late({"--chip", "24C02", "--delay-ms", "300"});
    ByteProtocolBoard board;
    ASSERT_TRUE(board.Connect(late.Link()));
    const std::uint8_t read[] = {'R', 0x05};
    for (const std::uint8_t byte : read) {
        board.SendByte(byte);
    }
    std::uint8_t reply = 0x42;
    EXPECT_FALSE(board.ReceiveByte(reply));
    Stopwatch next;
    EXPECT_TRUE(board.ReceiveByte(reply));
    EXPECT_LT(next.Ms(), 190);
    EXPECT_EQ(reply, 0xFF);

    SimulatorProcess vanished({"--chip", "24C02"});
    ASSERT_TRUE(board.Connect(vanished.Link()));
    vanished.Kill();
    Stopwatch gone;
    EXPECT_FALSE(board.ReadByte(0));
    EXPECT_LT(gone.Ms(), 1000);
}

}  // namespace

}  // namespace korvel
