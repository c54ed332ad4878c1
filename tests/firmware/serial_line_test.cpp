// korvel-avrboard's serial line over its pseudo-terminal: the host's side runs at the rate the
// host sets with termios, and the adapter's latency timer holds the board's bytes back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "tools/launch/SimulatorProcess.h"

namespace korvel {

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const Bytes kVersion = {'K', '2', '0'};
const Bytes kPing = {'P', 0x05, 0xBB};
const Bytes kQuit = {'Q', 0x24, 0xAB};

// A host on the pseudo-terminal, raw, at the rate it sets.
class Host {
  public:
    explicit Host(const std::string& link) : fd_(open(link.c_str(), O_RDWR | O_NOCTTY)) {
        SetBaud(B9600);
    }
    ~Host() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    void SetBaud(speed_t speed) {
        termios settings{};
        tcgetattr(fd_, &settings);
        cfmakeraw(&settings);
        cfsetspeed(&settings, speed);
        tcsetattr(fd_, TCSANOW, &settings);
    }
    void Send(const Bytes& bytes) {
        ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Up to `count` bytes, whatever has come within `ms` milliseconds.
    Bytes Receive(std::size_t count, int ms) {
        Bytes bytes;
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (bytes.size() < count && Clock::now() < end) {
            pollfd entry{fd_, POLLIN, 0};
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (poll(&entry, 1, static_cast<int>(left) + 1) <= 0) {
                continue;
            }
            std::uint8_t byte;
            if (read(fd_, &byte, 1) == 1) {
                bytes.push_back(byte);
            }
        }
        return bytes;
    }
    Bytes Exchange(const Bytes& bytes, std::size_t count, int ms = 500) {
        Send(bytes);
        return Receive(count, ms);
    }
    // The switch to 500000 baud, confirmed by a ping. The board waits 40 ms for the ping; a
    // machine too busy to send it in time finds the board back at 9600 and tries again.
    bool SwitchUp() {
        for (int attempt = 0; attempt < 5; ++attempt) {
            SetBaud(B9600);
            if (Exchange({'S', 0x01}, 1) != Bytes{'S'}) {
                return false;
            }
            SetBaud(B500000);
            if (Exchange(kPing, kPing.size(), 200) == kPing) {
                return true;
            }
            usleep(100'000);
        }
        return false;
    }

  private:
    int fd_;
};

TEST(SerialLine, SwitchesToTheFastLinkAtTheHostsRate) {
    SimulatorProcess board({"--chip", "24C02", "--fast"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    Host host(board.Link());
    EXPECT_EQ(host.Exchange({'F'}, 3), kVersion);
    ASSERT_TRUE(host.SwitchUp());
    EXPECT_EQ(host.Exchange({'M', 0x01, 0xA0, 0x00, 0x08, 0x3E, 0x6B}, 3),
              (Bytes{'M', 0x99, 0x78}));
    EXPECT_EQ(host.Exchange(kQuit, 3), kQuit);
    usleep(1000);
    host.SetBaud(B9600);
    EXPECT_EQ(host.Exchange({'F'}, 3), kVersion);
}

TEST(SerialLine, BytesAtAnotherRateArriveAsFramingErrors) {
    SimulatorProcess board({"--chip", "24C02", "--fast"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    Host host(board.Link());
    ASSERT_TRUE(host.SwitchUp());
    // A host at 9600 baud: the board at 500000 sees a framing error and is back at 9600 at
    // once; the byte itself is lost.
    host.SetBaud(B9600);
    EXPECT_EQ(host.Exchange({'F'}, 3, 200), Bytes{});
    EXPECT_EQ(host.Exchange({'F'}, 3), kVersion);
    // A host at 500000 talking to the board at 9600 is not understood at all.
    host.SetBaud(B500000);
    EXPECT_EQ(host.Exchange({'F'}, 3, 200), Bytes{});
}

TEST(SerialLine, LatencyTimerHoldsTheAnswersToItsTicks) {
    SimulatorProcess board({"--chip", "24C02", "--latency-ms", "200"}, KORVEL_AVRBOARD);
    ASSERT_TRUE(board.Started());
    Host host(board.Link());
    ASSERT_EQ(host.Exchange({'F'}, 3, 1000), kVersion);
    // Each answer waits for the timer's next tick: two more exchanges take two ticks at least.
    const auto start = Clock::now();
    EXPECT_EQ(host.Exchange({'F'}, 3, 1000), kVersion);
    EXPECT_EQ(host.Exchange({'F'}, 3, 1000), kVersion);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(350));
}

}  // namespace

}  // namespace korvel
