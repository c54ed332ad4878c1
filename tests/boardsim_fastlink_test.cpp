// The board simulator as Korvel's open board: its version, the switch to the fast link, the
// link's frames, its clocks, its faults and line damage, driven over the pseudo-terminal with
// every byte written out as it goes on the line (the CRCs worked out apart from the program).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sstream>
#include <thread>

#include "protocol/FastLink.h"
#include "tests/support/Bounded.h"
#include "tools/launch/SimulatorProcess.h"
#include "tools/launch/TempDir.h"

namespace korvel {

namespace {

std::vector<std::uint8_t> Bytes(const std::string& hex) {
    std::istringstream words(hex);
    std::vector<std::uint8_t> bytes;
    for (std::string word; words >> word;) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
    }
    return bytes;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char word[4];
        std::snprintf(word, sizeof word, text.empty() ? "%02X" : " %02X", byte);
        text += word;
    }
    return text;
}

// The host's end of the simulator's line, raw, at the rate the test sets: 9600 baud to start.
class HostLine {
  public:
    explicit HostLine(const SimulatorProcess& sim)
        : fd_(open(sim.Link().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        EXPECT_GE(fd_, 0) << sim.Link() << ": " << std::strerror(errno);
        Rate(B9600);
    }
    ~HostLine() { close(fd_); }
    HostLine(const HostLine&) = delete;
    HostLine& operator=(const HostLine&) = delete;

    void Rate(speed_t speed) {
        termios settings{};
        tcgetattr(fd_, &settings);
        cfmakeraw(&settings);
        cfsetspeed(&settings, speed);
        tcsetattr(fd_, TCSANOW, &settings);
    }
    void Send(const std::string& hex) {
        const std::vector<std::uint8_t> bytes = Bytes(hex);
        EXPECT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What comes back until `count` bytes are in or `limitMs` have passed, in hex.
    std::string Receive(std::size_t count, long limitMs = 2000) {
        std::vector<std::uint8_t> bytes;
        const Stopwatch waited;
        while (bytes.size() < count && waited.Ms() < limitMs) {
            pollfd entry{fd_, POLLIN, 0};
            if (poll(&entry, 1, static_cast<int>(limitMs - waited.Ms())) > 0) {
                std::uint8_t byte = 0;
                if (read(fd_, &byte, 1) == 1) {
                    bytes.push_back(byte);
                }
            }
        }
        return Hex(bytes);
    }
    // Sends a frame and takes an answer of `count` bytes.
    std::string Ask(const std::string& frame, std::size_t count, long limitMs = 2000) {
        Send(frame);
        return Receive(count, limitMs);
    }
    // 'S' 01, answered at 9600 baud; then the host follows to 500 kbaud. Returns the answer.
    std::string SwitchToFast() {
        const std::string answer = Ask("53 01", 1);
        Rate(B500000);
        return answer;
    }
    void Forget() { tcflush(fd_, TCIFLUSH); }

  private:
    int fd_;
};

constexpr const char* kIdle = "(idle: 9600 baud)";

// What came of an exchange at speed: the host's answers in order, the board's trace (a last
// line saying it went back to 9600 baud before the simulator was stopped left out), and the
// chip's contents at the end.
struct AtSpeed {
    std::vector<std::string> answers;
    std::vector<std::string> trace;
    std::vector<std::uint8_t> dump;
};

using Exchange = std::function<void(HostLine& host, std::vector<std::string>& answers)>;

// Runs `exchange` against a fresh simulator. On a busy machine the test itself may be held up
// longer than the board's 40 ms, and the board then goes back to 9600 baud by itself: a run
// whose answers are not `expected` and whose board went back so is run again, three times in
// all at most.
AtSpeed RunAtSpeed(const std::vector<std::string>& options, const Exchange& exchange,
                   const std::vector<std::string>& expected) {
    AtSpeed run;
    for (int attempt = 0; attempt < 3; ++attempt) {
        SimulatorProcess sim(options);
        {
            HostLine host(sim);
            run.answers.clear();
            exchange(host, run.answers);
        }
        sim.Stop();
        run.trace = sim.Trace();
        if (!run.trace.empty() && run.trace.back() == kIdle) {
            run.trace.pop_back();
        }
        run.dump = sim.Dump();
        if (run.answers == expected ||
            std::find(run.trace.begin(), run.trace.end(), kIdle) == run.trace.end()) {
            break;
        }
    }
    return run;
}

// A chip image that changes from one address to the next and from one block to the next.
std::string ImageFile(const TempDir& dir, std::size_t size) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t a = 0; a < size; ++a) {
        image[a] = static_cast<std::uint8_t>(a * 7 + (a >> 8) * 0x31);
    }
    WriteFileBytes(dir.File("image.bin"), image);
    return dir.File("image.bin");
}

constexpr const char* kPing = "50 05 BB";
constexpr const char* kSetup24C02 = "4D 01 A0 01 08 0F 58";  // one address byte, 8-byte pages

TEST(Crc16, MatchesTheStandardCheckValueWholeOrInParts) {
    const std::uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(protocol::Crc16(digits, 9), 0x29B1);
    EXPECT_EQ(protocol::Crc16(digits + 4, 5, protocol::Crc16(digits, 4)), 0x29B1);
}

TEST(OpenBoard, AnswersK20AndSwitchesToItsOwnRateOnly) {
    const std::vector<std::string> expected = {"4B 32 30", "4B 32 30", "53",
                                               kPing,      "51 24 AB", "4B 32 30"};
    const AtSpeed run = RunAtSpeed(
        {"--chip", "24C02", "--open-board"},
        [](HostLine& host, auto& answers) {
            answers.push_back(host.Ask("46", 3));
            host.Send("53 02");  // a rate it does not have: no answer, and still at 9600 baud
            answers.push_back(host.Ask("46", 3));
            answers.push_back(host.SwitchToFast());
            answers.push_back(host.Ask(kPing, 3));
            answers.push_back(host.Ask("51 24 AB", 3));
            host.Rate(B9600);
            answers.push_back(host.Ask("46", 3));
        },
        expected);
    EXPECT_EQ(run.answers, expected);
    EXPECT_EQ(run.trace, (std::vector<std::string>{
                             "46 -> 4B 32 30",
                             "53 02",
                             "46 -> 4B 32 30",
                             "53 01 -> 53",
                             "50 05 BB -> 50 05 BB",
                             "51 24 AB -> 51 24 AB",
                             "46 -> 4B 32 30",
                         }));
}

TEST(OpenBoard, TheOriginalBoardKnowsNoSwitch) {
    SimulatorProcess sim({"--chip", "24C02"});
    {
        HostLine host(sim);
        host.Send("53 01 46");
        EXPECT_EQ(host.Receive(4, 500), "32 2E 31");
    }
    sim.Stop();
    EXPECT_EQ(sim.Trace(), (std::vector<std::string>{"53", "01", "46 -> 32 2E 31"}));
}

struct BlockRead {
    const char* chip;
    std::size_t size;
    const char* setup;
    const char* frame;
    const char* answer;
};

// A 24C16's address bits 8 to 10 ride in the select byte; a 24C256 takes two address bytes.
const BlockRead kBlockReads[] = {
    {"24C02", 256, kSetup24C02, "52 10 00 08 F8 DE", "52 00 10 00 70 77 7E 85 8C 93 9A A1 8C F4"},
    {"24C16", 2048, "4D 01 A0 01 10 36 CB", "52 F0 05 10 05 12",
     "52 00 F0 05 85 8C 93 9A A1 A8 AF B6 BD C4 CB D2 D9 E0 E7 EE E9 13"},
    {"24C16", 2048, "4D 01 A0 01 10 36 CB", "52 FC 07 04 B3 53", "52 00 FC 07 3B 42 49 50 ED 24"},
    {"24C256", 32768, "4D 02 A0 01 40 1F 0A", "52 34 12 03 84 50", "52 00 34 12 DE E5 EC ED A5"},
    {"24C256", 32768, "4D 02 A0 01 40 1F 0A", "52 C0 7F 40 C7 6A",
     "52 00 C0 7F 8F 96 9D A4 AB B2 B9 C0 C7 CE D5 DC E3 EA F1 F8 FF 06 0D 14 1B 22 29 30 37 3E "
     "45 4C 53 5A 61 68 6F 76 7D 84 8B 92 99 A0 A7 AE B5 BC C3 CA D1 D8 DF E6 ED F4 FB 02 09 10 "
     "17 1E 25 2C 33 3A 41 48 13 71"},
};

TEST(OpenBoard, ReadsBlocksWithEitherAddressing) {
    for (const BlockRead& read : kBlockReads) {
        TempDir dir;
        const std::vector<std::string> expected = {"53", "4D 99 78", read.answer};
        const AtSpeed run = RunAtSpeed(
            {"--chip", read.chip, "--open-board", "--image", ImageFile(dir, read.size)},
            [&](HostLine& host, auto& answers) {
                answers.push_back(host.SwitchToFast());
                answers.push_back(host.Ask(read.setup, 3));
                answers.push_back(host.Ask(read.frame, Bytes(read.answer).size()));
            },
            expected);
        EXPECT_EQ(run.answers, expected) << read.chip;
    }
}

// Each of these frames is dropped, without an answer: the ping after them is answered first.
TEST(OpenBoard, AnswersNoFrameThatCannotBeRight) {
    const std::vector<std::string> expected = {"53", kPing, "4D 99 78", kPing};
    const AtSpeed run = RunAtSpeed(
        {"--chip", "24C02", "--open-board"},
        [](HostLine& host, auto& answers) {
            answers.push_back(host.SwitchToFast());
            host.Send("52 10 00 08 F8 DE");     // a read before the chip is set up
            host.Send("4D 03 A0 01 08 67 B5");  // three address bytes
            answers.push_back(host.Ask(kPing, 3));
            answers.push_back(host.Ask(kSetup24C02, 3));
            host.Send("57 10 00 00 B5 E3");              // nothing to write: dropped at the count
            host.Send("57 26 00 04 11 22 33 44 A4 A6");  // across an 8-byte page
            host.Send("52 FC 00 08 A8 0B");              // across a 256-byte block
            host.Send("52 10 00 08 F8 DF");              // a wrong CRC
            host.Send("46");                             // no frame at all
            answers.push_back(host.Ask(kPing, 3));
        },
        expected);
    EXPECT_EQ(run.answers, expected);
    EXPECT_EQ(run.trace, (std::vector<std::string>{
                             "53 01 -> 53",
                             "52 10 00 08 F8 DE (before 'M')",
                             "4D 03 A0 01 08 67 B5 (impossible)",
                             "50 05 BB -> 50 05 BB",
                             "4D 01 A0 01 08 0F 58 -> 4D 99 78",
                             "57 10 00 00 (impossible)",
                             "B5 (unknown command)",
                             "E3 (unknown command)",
                             "57 26 00 04 11 22 33 44 A4 A6 (impossible)",
                             "52 FC 00 08 A8 0B (impossible)",
                             "52 10 00 08 F8 DF (bad CRC)",
                             "46 (unknown command)",
                             "50 05 BB -> 50 05 BB",
                         }));
}

// The host says 16-byte pages, the 24C02 has 8: the second half of the write lands on the first.
TEST(OpenBoard, WritesPagesThatRollOverInTheChip) {
    const std::vector<std::string> expected = {
        "53", "4D 99 78", "57 00 30 00 43 A5",
        "52 00 30 00 08 09 0A 0B 0C 0D 0E 0F FF FF FF FF FF FF FF FF 17 37"};
    const AtSpeed run = RunAtSpeed(
        {"--chip", "24C02", "--open-board"},
        [](HostLine& host, auto& answers) {
            answers.push_back(host.SwitchToFast());
            answers.push_back(host.Ask("4D 01 A0 01 10 36 CB", 3));
            answers.push_back(
                host.Ask("57 30 00 10 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 44 B7", 6));
            answers.push_back(host.Ask("52 30 00 10 07 CB", 22));
        },
        expected);
    EXPECT_EQ(run.answers, expected);
    std::vector<std::uint8_t> chip(256, 0xFF);
    for (std::uint8_t byte = 0x08; byte <= 0x0F; ++byte) {
        chip[0x28 + byte] = byte;
    }
    EXPECT_EQ(run.dump, chip);
}

TEST(OpenBoard, WritesPagesWithEitherAddressing) {
    const std::vector<std::string> smallExpected = {"53", "4D 99 78", "57 00 F8 05 1B 6A"};
    const AtSpeed small = RunAtSpeed(
        {"--chip", "24C16", "--open-board"},
        [](HostLine& host, auto& answers) {
            answers.push_back(host.SwitchToFast());
            answers.push_back(host.Ask("4D 01 A0 01 10 36 CB", 3));
            answers.push_back(host.Ask("57 F8 05 08 C1 C2 C3 C4 C5 C6 C7 C8 B0 C1", 6));
        },
        smallExpected);
    EXPECT_EQ(small.answers, smallExpected);
    std::vector<std::uint8_t> chip(2048, 0xFF);
    for (std::size_t n = 0; n < 8; ++n) {
        chip[0x5F8 + n] = static_cast<std::uint8_t>(0xC1 + n);
    }
    EXPECT_EQ(small.dump, chip);

    const std::vector<std::string> largeExpected = {"53", "4D 99 78", "57 00 C0 7F FA 39"};
    const AtSpeed large = RunAtSpeed(
        {"--chip", "24C256", "--open-board"},
        [](HostLine& host, auto& answers) {
            answers.push_back(host.SwitchToFast());
            answers.push_back(host.Ask("4D 02 A0 01 40 1F 0A", 3));
            answers.push_back(host.Ask(
                "57 C0 7F 40 A5 A4 A7 A6 A1 A0 A3 A2 AD AC AF AE A9 A8 AB AA B5 B4 B7 B6 B1 B0 B3 "
                "B2 BD BC BF BE B9 B8 BB BA 85 84 87 86 81 80 83 82 8D 8C 8F 8E 89 88 8B 8A 95 94 "
                "97 96 91 90 93 92 9D 9C 9F 9E 99 98 9B 9A CE 0C",
                6));
        },
        largeExpected);
    EXPECT_EQ(large.answers, largeExpected);
    chip.assign(32768, 0xFF);
    for (std::size_t n = 0; n < 64; ++n) {
        chip[0x7FC0 + n] = static_cast<std::uint8_t>(n ^ 0xA5);
    }
    EXPECT_EQ(large.dump, chip);
}

// On a paced line the bytes take their time and a write waits for the chip: all still arrive.
TEST(OpenBoard, AnswersEveryFrameOnAPacedLine) {
    const std::vector<std::string> expected = {"53", "4D 99 78", "57 00 20 00 30 A6", "51 24 AB"};
    const AtSpeed run = RunAtSpeed(
        {"--chip", "24C02", "--open-board", "--pace"},
        [](HostLine& host, auto& answers) {
            answers.push_back(host.SwitchToFast());
            answers.push_back(host.Ask(kSetup24C02, 3));
            answers.push_back(host.Ask("57 20 00 04 11 22 33 44 81 07", 6));
            answers.push_back(host.Ask("51 24 AB", 3));
        },
        expected);
    EXPECT_EQ(run.answers, expected);
}

// Answers held back 100 ms: two pages of 64 bytes wait their turn (140 bytes held), a third
// would make 210, more than the 192 the board holds, and is lost.
TEST(OpenBoard, HoldsFramesUpTo192BytesAndLosesWhatIsMore) {
    const std::string page =
        " 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11"
        " 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11"
        " 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11"
        " 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11";
    const std::string pages[] = {"57 00 00 40" + page + " C9 A3", "57 40 00 40" + page + " 6C 61",
                                 "57 80 00 40" + page + " A2 36"};
    const std::vector<std::string> expected = {"53", "4D 99 78",
                                               "57 00 00 00 D6 A0 57 00 40 00 1A AD", kPing};
    const AtSpeed run = RunAtSpeed(
        {"--chip", "24C256", "--open-board", "--delay-ms", "100"},
        [&pages](HostLine& host, auto& answers) {
            answers.push_back(host.SwitchToFast());
            answers.push_back(host.Ask("4D 02 A0 01 40 1F 0A", 3));
            answers.push_back(host.Ask(pages[0] + " " + pages[1] + " " + pages[2], 12));
            answers.push_back(host.Ask(kPing, 3));
        },
        expected);
    EXPECT_EQ(run.answers, expected);
    EXPECT_EQ(run.trace, (std::vector<std::string>{
                             "53 01 -> 53",
                             "4D 02 A0 01 40 1F 0A -> 4D 99 78",
                             pages[0] + " -> 57 00 00 00 D6 A0",
                             pages[1] + " -> 57 00 40 00 1A AD",
                             pages[2] + " (no room)",
                             "50 05 BB -> 50 05 BB",
                         }));
}

// The simulator reads the host's rate from the pseudo-terminal's settings: a byte sent at
// another rate than the board's is a framing error, which sends the board back to 9600 baud,
// as 40 ms without a command do.
TEST(OpenBoard, GoesBackTo9600WhenQuietOrOnAFramingError) {
    const auto exchange = [](HostLine& host, auto& answers) {
        answers.push_back(host.SwitchToFast());
        answers.push_back(host.Ask(kPing, 3));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        host.Rate(B9600);
        answers.push_back(host.Ask("46", 3));

        // The host stays at 9600 baud: its 'F' comes at the wrong rate.
        answers.push_back(host.Ask("53 01 46", 1));
        answers.push_back(host.Ask("46", 3));

        host.Rate(B500000);  // while the board is at 9600 baud
        host.Send("46");
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        host.Rate(B9600);
        answers.push_back(host.Ask("46", 6, 300));
    };
    const std::vector<std::string> expected = {"53", kPing,      "4B 32 30",
                                               "53", "4B 32 30", "4B 32 30"};
    const AtSpeed run = RunAtSpeed({"--chip", "24C02", "--open-board"}, exchange, expected);
    EXPECT_EQ(run.answers, expected);
    EXPECT_EQ(run.trace, (std::vector<std::string>{
                             "53 01 -> 53",
                             "50 05 BB -> 50 05 BB",
                             kIdle,
                             "46 -> 4B 32 30",
                             "53 01 -> 53",
                             "(framing error: 9600 baud)",
                             "46 -> 4B 32 30",
                             "(framing error)",
                             "46 -> 4B 32 30",
                         }));
}

// The answer to a ping goes out at 500 kbaud, 300 ms late, after the host went back to 9600:
// it never arrives.
TEST(OpenBoard, AnswersAtARateTheHostDoesNotListenAtAreLost) {
    const auto exchange = [](HostLine& host, auto& answers) {
        answers.push_back(host.SwitchToFast());
        host.Send(kPing);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));  // in, not yet answered
        host.Rate(B9600);
        answers.push_back(host.Receive(3, 250));
        answers.push_back(host.Ask("46", 3));
    };
    const std::vector<std::string> expected = {"53", "", "4B 32 30"};
    const AtSpeed run =
        RunAtSpeed({"--chip", "24C02", "--open-board", "--delay-ms", "300"}, exchange, expected);
    EXPECT_EQ(run.answers, expected);
    EXPECT_EQ(run.trace, (std::vector<std::string>{
                             "53 01 -> 53",
                             "50 05 BB -> 50 05 BB",
                             kIdle,
                             "46 -> 4B 32 30",
                         }));
}

TEST(OpenBoard, ReportsAnEmptySocketEitherWay) {
    const std::vector<std::string> expected = {
        "FF", "A5", "53", "4D 99 78", "52 01 10 00 FF FF FF FF D6 4E", "57 01 10 00 95 94"};
    const AtSpeed run = RunAtSpeed(
        {"--chip", "24C02", "--open-board", "--no-chip"},
        [](HostLine& host, auto& answers) {
            host.Send("54 00 43 A0");
            answers.push_back(host.Ask("52 10", 1));
            answers.push_back(host.Ask("57 10 5A", 1));
            answers.push_back(host.SwitchToFast());
            answers.push_back(host.Ask(kSetup24C02, 3));
            answers.push_back(host.Ask("52 10 00 04 74 1F", 10));
            answers.push_back(host.Ask("57 10 00 02 AA BB FA 38", 6));
        },
        expected);
    EXPECT_EQ(run.answers, expected);
}

// The write cycle of the page 0x20 to 0x27 never ends. With the five commands the board finds
// out at the next command: the next 'W' is answered with its complement and not written, the
// next 'F' with K2W, once. A page write there says so in its status.
TEST(OpenBoard, ReportsAWriteCycleThatNeverEnds) {
    const std::vector<std::string> expected = {"5A",
                                               "EE",
                                               "22",
                                               "4B 32 57",
                                               "4B 32 30",
                                               "53",
                                               "4D 99 78",
                                               "57 02 20 00 50 C8",
                                               "57 00 28 00 99 2F"};
    const AtSpeed run = RunAtSpeed(
        {"--chip", "24C02", "--open-board", "--endless-cycle-at", "0x23"},
        [](HostLine& host, auto& answers) {
            host.Send("54 00 43 A0");
            answers.push_back(host.Ask("57 23 5A", 1));
            answers.push_back(host.Ask("57 40 11", 1));
            answers.push_back(host.Ask("57 41 22", 1));
            answers.push_back(host.Ask("46", 3));
            answers.push_back(host.Ask("46", 3));
            answers.push_back(host.SwitchToFast());
            answers.push_back(host.Ask(kSetup24C02, 3));
            answers.push_back(host.Ask("57 20 00 08 20 21 22 23 24 25 26 27 BA 78", 6));
            answers.push_back(host.Ask("57 28 00 08 28 29 2A 2B 2C 2D 2E 2F EF 7C", 6));
        },
        expected);
    EXPECT_EQ(run.answers, expected);
    std::vector<std::uint8_t> chip(256, 0xFF);
    chip[0x41] = 0x22;
    for (std::uint8_t byte = 0x28; byte <= 0x2F; ++byte) {
        chip[byte] = byte;
    }
    EXPECT_EQ(run.dump, chip);
}

// Address 0x12 reads inverted, and a page write over it fails.
TEST(OpenBoard, SpoilsOneAddressAtSpeedToo) {
    const std::vector<std::string> expected = {
        "53", "4D 99 78", "52 00 10 00 FF FF 00 FF FF FF FF FF CB 0E", "57 02 10 00 C5 CD"};
    const AtSpeed run = RunAtSpeed(
        {"--chip", "24C02", "--open-board", "--bad-reply-at", "0x12"},
        [](HostLine& host, auto& answers) {
            answers.push_back(host.SwitchToFast());
            answers.push_back(host.Ask(kSetup24C02, 3));
            answers.push_back(host.Ask("52 10 00 08 F8 DE", 14));
            answers.push_back(host.Ask("57 10 00 04 01 02 03 04 3C 8E", 6));
        },
        expected);
    EXPECT_EQ(run.answers, expected);
    EXPECT_EQ(run.dump, std::vector<std::uint8_t>(256, 0xFF));
}

// One bit in about every 20th byte flipped, either way: the board drops every damaged frame
// and the host sees every damaged answer differ, so the chip gets only what was meant.
TEST(OpenBoard, DamageOnTheFastLineNeverPassesForRight) {
    TempDir dir;
    std::vector<std::uint8_t> image(256);
    for (std::size_t a = 0; a < 256; ++a) {
        image[a] = static_cast<std::uint8_t>(a);
    }
    WriteFileBytes(dir.File("chip.bin"), image);
    SimulatorProcess sim({"--chip", "24C02", "--open-board", "--image", dir.File("chip.bin"),
                          "--flip-every", "20", "--seed", "7"});
    HostLine host(sim);
    // From a known state whatever the board missed: 9600 baud once it has been quiet, the
    // switch, and the chip set up (those frames may be damaged too).
    const auto start = [&] {
        for (int tries = 0; tries < 10; ++tries) {
            host.Rate(B9600);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            host.Forget();
            if (host.Ask("46 53 01", 4, 300) != "4B 32 30 53") {
                continue;
            }
            host.Rate(B500000);
            if (host.Ask(kSetup24C02, 3, 15) == "4D 99 78") {
                return true;
            }
        }
        return false;
    };
    const struct {
        const char* frame;
        const char* answer;
    } kExchanges[] = {
        {"52 10 00 08 F8 DE", "52 00 10 00 10 11 12 13 14 15 16 17 B1 87"},
        {"57 40 00 08 A0 A1 A2 A3 A4 A5 A6 A7 EF 5A", "57 00 40 00 1A AD"},
    };
    ASSERT_TRUE(start());
    int right = 0, damaged = 0, lost = 0;
    for (int round = 0; round < 40; ++round) {
        const auto& exchange = kExchanges[round % 2];
        const std::size_t length = Bytes(exchange.answer).size();
        const std::string answer = host.Ask(exchange.frame, length, 15);
        if (answer == exchange.answer) {
            ++right;
        } else if (Bytes(answer).size() == length) {
            ++damaged;
        } else {
            ++lost;
            ASSERT_TRUE(start());
        }
    }
    EXPECT_GT(damaged, 0);
    EXPECT_GT(lost, 0);
    EXPECT_GT(right, 0);
    sim.Stop();
    const std::vector<std::string> trace = sim.Trace();
    EXPECT_GT(std::count_if(trace.begin(), trace.end(),
                            [](const std::string& line) {
                                return line.find("(bad CRC)") != std::string::npos;
                            }),
              0);
    for (std::size_t a = 0x40; a < 0x48; ++a) {
        image[a] = static_cast<std::uint8_t>(0xA0 + a - 0x40);
    }
    EXPECT_EQ(sim.Dump(), image);
}

}  // namespace

}  // namespace korvel
