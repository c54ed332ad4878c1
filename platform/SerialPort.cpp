#include "platform/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <utility>

#include "platform/DeviceOpeners.h"
#include "platform/LowLatency.h"

namespace korvel {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The board's time limits, per byte requested and once per transfer.
constexpr milliseconds kPerByteLimit{100};
constexpr milliseconds kConstantLimit{100};
constexpr milliseconds kIntervalLimit{100};
// A line found claimed is looked at again for a while before it counts as in use: a host killed
// a moment ago may still be being cleaned up after (a board simulator gives back the claim it
// left once it notices the host has gone). Each look opens the line afresh, for an open
// descriptor of ours would count as a live claim.
constexpr milliseconds kClaimGrace{250};
constexpr milliseconds kClaimRecheck{10};

// The port this program holds, for a signal handler to give back as Close would: the program
// holds one port at a time.
volatile std::sig_atomic_t heldFd = -1;
volatile std::sig_atomic_t heldLowLatency = 0;
volatile std::sig_atomic_t heldSerialFlags = 0;

// The termios speed for a baud rate; B0 for one the driver interface cannot name.
speed_t Speed(int baud) {
    constexpr std::pair<int, speed_t> kSpeeds[] = {
        {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
        {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
        {230400, B230400}, {460800, B460800}, {500000, B500000}, {1000000, B1000000},
    };
    for (const auto& [rate, speed] : kSpeeds) {
        if (rate == baud) {
            return speed;
        }
    }
    return B0;
}

tcflag_t CharacterSize(int dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

milliseconds TransferLimit(std::size_t count) {
    return kPerByteLimit * static_cast<long>(count) + kConstantLimit;
}

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
        return 0;
    }
    // Round up so that poll never wakes a little before the deadline and spins.
    return static_cast<int>(std::chrono::ceil<milliseconds>(left).count());
}

// Waits until the descriptor is ready for `events`; false on time-out or a hung-up line.
bool WaitReady(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, MillisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        // A hung-up line with nothing left to read is gone; let the caller find out at once.
        return (entry.revents & events) != 0 || (entry.revents & (POLLHUP | POLLERR)) != 0;
    }
}

}  // namespace

SerialPort::~SerialPort() {
    Close();
}

bool SerialPort::Fail(const std::string& what) {
    lastError_ = what + ": " + std::strerror(errno);
    return false;
}

bool SerialPort::InUse(const std::string& path) {
    lastError_ = path + ": in use";
    return false;
}

bool SerialPort::Open(const std::string& path, const LineSettings& line) {
    return Claim(path) && Apply(line);
}

bool SerialPort::Claim(const std::string& path) {
    Close();
    lastError_.clear();
    notice_.clear();
    const auto giveUp = Clock::now() + kClaimGrace;
    for (;;) {
        const Attempt attempt = TryOpen(path);
        if (attempt != Attempt::InUse) {
            return attempt == Attempt::Opened;
        }
        if (Clock::now() >= giveUp) {
            return InUse(path);
        }
        std::this_thread::sleep_for(kClaimRecheck);
    }
}

SerialPort::Attempt SerialPort::TryOpen(const std::string& path) {
    // Non-blocking, so that every wait below is ours and bounded; never our controlling terminal,
    // so that a hang-up cannot signal the program.
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0 && errno == EBUSY) {
        return Attempt::InUse;  // the line is exclusive, and this user may not break in
    }
    if (fd_ < 0) {
        Fail(path);
        return Attempt::Failed;
    }
    if (!isatty(fd_)) {
        errno = ENOTTY;
        Fail(path);
        Close();
        return Attempt::Failed;
    }
    // TIOCEXCL keeps other users' programs off the line, but not root, who could otherwise open
    // it anyway: another copy of this program is kept off by the advisory lock as well.
    if (!Unclaimed(path) || flock(fd_, LOCK_EX | LOCK_NB) != 0 || ioctl(fd_, TIOCEXCL) != 0) {
        Close();
        return Attempt::InUse;
    }
    exclusive_ = true;
    lowLatency_ = SetLowLatency(fd_, serialFlags_);
    heldLowLatency = lowLatency_ ? 1 : 0;
    heldSerialFlags = serialFlags_;
    heldFd = fd_;
    return Attempt::Opened;
}

// Another program that holds the line with TIOCEXCL keeps it, even from root. The flag belongs
// to the line, not to a program, and outlives one that was killed while someone else keeps the
// line open (a board simulator's pseudo-terminal): a flag that nobody else's descriptor stands
// behind is taken over, and the user told so.
bool SerialPort::Unclaimed(const std::string& path) {
    int exclusive = 0;
    if (ioctl(fd_, TIOCGEXCL, &exclusive) != 0 || exclusive == 0) {
        return true;
    }
    if (OtherOpeners(path, fd_) != Openers::None) {
        return false;
    }
    notice_ = path + " was left exclusive by a program that has ended: taken over";
    return true;
}

bool SerialPort::Apply(const LineSettings& line) {
    termios settings{};
    if (tcgetattr(fd_, &settings) != 0) {
        return Fail("reading line settings");
    }
    cfmakeraw(&settings);
    settings.c_iflag &= ~(IXON | IXOFF | IXANY | PARMRK | IGNPAR);
    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL);
    settings.c_cflag |= CharacterSize(line.dataBits) | CREAD | CLOCAL;
    if (line.parity != Parity::None) {
        settings.c_cflag |= PARENB | (line.parity == Parity::Odd ? PARODD : 0);
        settings.c_iflag |= INPCK;
    } else {
        settings.c_iflag &= ~INPCK;
    }
    if (line.stopBits == 2) {
        settings.c_cflag |= CSTOPB;
    }
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    const speed_t speed = Speed(line.baud);
    if (speed == B0) {
        errno = EINVAL;
        return Fail("line speed " + std::to_string(line.baud));
    }
    if (cfsetispeed(&settings, speed) != 0 || cfsetospeed(&settings, speed) != 0 ||
        tcsetattr(fd_, TCSANOW, &settings) != 0) {
        return Fail("applying line settings");
    }
    // A pseudo-terminal has no modem lines to switch; a real port that refuses is a failure.
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(fd_, TIOCMBIC, &lines) != 0 && errno != ENOTTY && errno != EINVAL) {
        return Fail("switching DTR and RTS off");
    }
    return true;
}

void SerialPort::Close() {
    if (fd_ >= 0) {
        if (heldFd == fd_) {
            heldFd = -1;
        }
        if (lowLatency_) {
            RestoreSerialFlags(fd_, serialFlags_);
        }
        // A line that someone else keeps open (the board simulator does) would otherwise stay
        // exclusive, and refuse this very program the next time it opens the port. A flag that
        // another program set is its own.
        if (exclusive_) {
            ioctl(fd_, TIOCNXCL);
        }
        close(fd_);
        fd_ = -1;
        exclusive_ = false;
        lowLatency_ = false;
    }
}

void SerialPort::ReleaseOnSignal() {
    const int fd = heldFd;
    if (fd >= 0) {
        if (heldLowLatency != 0) {
            RestoreSerialFlags(fd, heldSerialFlags);
        }
        ioctl(fd, TIOCNXCL);  // a port is held only once it is exclusive
    }
}

std::size_t SerialPort::Write(const std::uint8_t* data, std::size_t count) {
    if (fd_ < 0) {
        return 0;
    }
    const auto deadline = Clock::now() + TransferLimit(count);
    std::size_t written = 0;
    // The line nearly always has room: write first, and wait only when it has none.
    while (written < count) {
        const ssize_t done = write(fd_, data + written, count - written);
        if (done > 0) {
            written += static_cast<std::size_t>(done);
        } else if (done < 0 && errno == EINTR) {
            continue;
        } else if (done < 0 && errno == EAGAIN && WaitReady(fd_, POLLOUT, deadline)) {
            continue;
        } else {
            break;
        }
    }
    return written;
}

std::size_t SerialPort::Read(std::uint8_t* data, std::size_t count) {
    if (fd_ < 0) {
        return 0;
    }
    const auto overall = Clock::now() + TransferLimit(count);
    auto deadline = overall;
    std::size_t got = 0;
    while (got < count && WaitReady(fd_, POLLIN, deadline)) {
        const ssize_t done = read(fd_, data + got, count - got);
        if (done > 0) {
            got += static_cast<std::size_t>(done);
            deadline = std::min(overall, Clock::now() + kIntervalLimit);
        } else if (done < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        } else {
            break;  // end of file or an I/O error: the line is gone
        }
    }
    return got;
}

std::size_t SerialPort::ReadWithin(std::uint8_t* data, std::size_t count, int limitMs) {
    const auto deadline = Clock::now() + milliseconds(limitMs);
    std::size_t got = 0;
    while (fd_ >= 0 && got < count && WaitReady(fd_, POLLIN, deadline)) {
        const ssize_t done = read(fd_, data + got, count - got);
        if (done > 0) {
            got += static_cast<std::size_t>(done);
        } else if (done == 0 || (errno != EAGAIN && errno != EINTR)) {
            break;  // the line is gone
        }
    }
    return got;
}

bool SerialPort::ChangeSpeed(int baud) {
    termios settings{};
    const speed_t speed = Speed(baud);
    return fd_ >= 0 && speed != B0 && tcgetattr(fd_, &settings) == 0 &&
           cfsetispeed(&settings, speed) == 0 && cfsetospeed(&settings, speed) == 0 &&
           tcsetattr(fd_, TCSADRAIN, &settings) == 0;
}

void SerialPort::DiscardInput() {
    if (fd_ >= 0) {
        tcflush(fd_, TCIFLUSH);
    }
}

void SerialPort::DiscardInputUntilQuiet(int quietMs, int limitMs) {
    DiscardInput();
    // A board that never stops talking must not hold the program: the limit ends the wait.
    const auto limit = Clock::now() + milliseconds(limitMs);
    std::uint8_t scrap[64];
    while (fd_ >= 0 &&
           WaitReady(fd_, POLLIN, std::min(limit, Clock::now() + milliseconds(quietMs)))) {
        if (read(fd_, scrap, sizeof scrap) <= 0 && errno != EAGAIN && errno != EINTR) {
            break;
        }
    }
}

}  // namespace korvel
