// The serial link against the board simulator on a real pseudo-terminal. The exact exchanges of
// every type, and every byte value passing both ways, are in the device operations' tests.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>

#include "boards/ByteProtocolBoard.h"
#include "platform/Signals.h"
#include "tests/support/BoardSession.h"
#include "tests/support/Bounded.h"
#include "tests/support/ToolRun.h"

namespace korvel {

namespace {

// The board's line: 9600 baud, 8N1.
constexpr LineSettings kLine{9600, 8, Parity::None, 1};

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
    EXPECT_EQ(first.Problem(), sim.Link() + ": in use");
    EXPECT_TRUE(HeldExclusively(sim.Link())) << "its claim stays";
    ioctl(other, TIOCNXCL);
    close(other);
    EXPECT_TRUE(first.Connect(sim.Link()));
}

// A pseudo-terminal of the test's own with no board behind it. The test keeps its master side
// only, so that nobody has the line open but whom a test lets open it.
struct BareLine {
    BareLine() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        EXPECT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        path = ptsname(master);
    }
    ~BareLine() { close(master); }
    BareLine(const BareLine&) = delete;
    BareLine& operator=(const BareLine&) = delete;

    // A copy of the test that opens the line and makes it exclusive, until it is ended.
    pid_t HoldExclusively() {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
            ioctl(fd, TIOCEXCL);
            if (write(ready[1], "x", 1) == 1) {
                pause();
            }
            _exit(0);
        }
        close(ready[1]);
        char byte = 0;
        EXPECT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        return child;
    }

    int master = -1;
    std::string path;
};

void End(pid_t child, int signal) {
    kill(child, signal);
    waitpid(child, nullptr, 0);
}

// A host killed without warning cannot give its exclusive claim back; the simulated board takes
// it back as the host goes, so that the next one finds the line free at once.
TEST(SerialLink, HostsKilledWithoutWarningLeaveTheSimulatedLineFree) {
    SimulatorProcess sim({"--chip", "24C02"});
    for (int round = 0; round < 3; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            SerialPort port;
            if (port.Open(sim.Link(), kLine)) {
                raise(SIGKILL);
            }
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the port did not open";
        EXPECT_EQ(Outcome(Cli({"detect"})), "0: COM2: Hardware v2.1\n") << round;
    }
}

// An exclusive claim that nobody's descriptor stands behind any more is taken over, and the user
// told so; one whose program lives is respected. Only root may open a line that is exclusive.
TEST(SerialLink, ExclusiveClaimsOfEndedProgramsAreTakenOverAndLiveOnesRespected) {
    BareLine line;
    const pid_t holder = line.HoldExclusively();
    ToolRun run = Cli({"--port", line.path, "detect"});
    EXPECT_EQ(Outcome(run) + run.err, "1: " + line.path +
                                          ": Can't open port\nkorvel-cli: can't open " + line.path +
                                          ": in use\n");
    End(holder, SIGKILL);
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can open a line left exclusive";
    }
    run = Cli({"--port", line.path, "detect"});
    EXPECT_EQ(Outcome(run) + run.err, "1: " + line.path +
                                          ": Hardware not found !\nkorvel-cli: " + line.path +
                                          " was left exclusive by a program that has ended: "
                                          "taken over\n");
    // Taken over, the claim is Korvel's own, and given back when it closes the line.
    EXPECT_FALSE(HeldExclusively(line.path));
}

// The outcome of a copy of the test that holds the line as the program does and then meets
// `signal`: "ended by N" or "exited N", and whether the line is still exclusive afterwards.
// Every signal starts at its default, as in a program built without a sanitizer.
std::string AfterSignal(const BareLine& line, int signal) {
    const pid_t child = fork();
    if (child == 0) {
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);  // SIGQUIT and the crashes would dump one
        std::signal(signal, SIG_DFL);
        InstallSignalHandling();
        SerialPort port;
        if (!port.Open(line.path, kLine)) {
            _exit(2);
        }
        raise(signal);
        // Still here: a write to a pipe nobody reads fails, and the port is closed as usual.
        int pipeEnds[2];
        const bool failed = pipe(pipeEnds) == 0 && close(pipeEnds[0]) == 0 &&
                            write(pipeEnds[1], "x", 1) < 0 && errno == EPIPE;
        port.Close();
        _exit(failed ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return (WIFSIGNALED(status) ? "ended by " + std::to_string(WTERMSIG(status))
                                : "exited " + std::to_string(WEXITSTATUS(status))) +
           (HeldExclusively(line.path) ? ", line held" : "");
}

// Every signal whose default ends the program ends it, but first gives back the line as closing
// would; otherwise the claim and the driver's flags outlive the program while someone else keeps
// the line open, and every later run says the port is in use. SIGPIPE ends nothing: a write to a
// pipe that nobody reads (korvel-cli ... | head) is an error instead.
TEST(SerialLink, SignalsThatEndTheProgramLeaveTheLineFree) {
    BareLine line;
    for (const int signal : {SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT,  SIGBUS,
                             SIGFPE,    SIGUSR1, SIGSEGV, SIGUSR2, SIGALRM, SIGTERM,  SIGXCPU,
                             SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS,  SIGRTMIN, SIGRTMAX}) {
        EXPECT_EQ(AfterSignal(line, signal), "ended by " + std::to_string(signal));
    }
    EXPECT_EQ(AfterSignal(line, SIGPIPE), "exited 0");
}

// The writes that korvel-cli, run with these arguments, makes to the board's line: one line of
// hex bytes each.
std::vector<std::string> WritesToTheBoard(const std::vector<std::string>& args) {
    TempDir dir;
    const ToolRun run = Cli(args, "export LD_PRELOAD='" KORVEL_WRITE_LOG_LIBRARY
                                  "' ASAN_OPTIONS=verify_asan_link_order=0 KORVEL_WRITE_LOG='" +
                                      dir.File("writes") + "'; ");
    EXPECT_EQ(run.status, 0) << run.err;
    std::istringstream log(ReadFileText(dir.File("writes")));
    std::vector<std::string> writes;
    for (std::string line; std::getline(log, line);) {
        writes.push_back(line);
    }
    return writes;
}

// Each command leaves with its argument bytes in one write, so that a program ended between two
// writes never leaves the board half a command, to be completed with the next program's bytes.
TEST(SerialLink, EachCommandLeavesInOneWrite) {
    using Lines = std::vector<std::string>;
    TempDir dir;
    WriteFileBytes(dir.File("image.bin"), std::vector<std::uint8_t>(512, 0x5A));
    {
        SimulatorProcess sim({"--chip", "24C04"});
        const Lines writes =
            WritesToTheBoard({"-d", "24C04", "--in", dir.File("image.bin"), "write"});
        ASSERT_EQ(writes.size(), 516u);
        EXPECT_EQ(Lines(writes.begin(), writes.begin() + 5),
                  (Lines{"46", "54 00", "43 A0", "57 00 5A", "57 01 5A"}));
        EXPECT_EQ(Lines(writes.begin() + 258, writes.begin() + 261),
                  (Lines{"57 FF 5A", "43 A2", "57 00 5A"}));
        EXPECT_EQ(writes.back(), "57 FF 5A");
    }
    SimulatorProcess sim({"--chip", "24C32"});
    const Lines reads = WritesToTheBoard({"-d", "24C32", "read"});
    ASSERT_EQ(reads.size(), 4099u);
    EXPECT_EQ(Lines(reads.begin(), reads.begin() + 5),
              (Lines{"46", "54 01", "43 A0", "52 00 00", "52 01 00"}));
    EXPECT_EQ(reads.back(), "52 FF 0F");
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
        ASSERT_TRUE(port.Open("/dev/ttyS0", kLine)) << port.LastError();
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
    for (const std::uint8_t byte : {std::uint8_t{'R'}, std::uint8_t{0x05}}) {
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
