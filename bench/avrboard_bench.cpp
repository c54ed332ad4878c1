// korvel-avrboard-bench: the board's firmware on the simulated ATmega328P at 16 MHz, timed in
// simulated time, so that the numbers are the same on every machine.
//  - What the firmware adds to each exchange of the original commands beyond the bytes on the
//    line: from the end of the command's last byte to the start of the answer, bus at 100 kHz.
//  - Byte-wise writes with the original commands against the line's own time.
//  - Every chip operation as korvel-cli runs it against the firmware on korvel-avrboard, over the
//    fast link and with the five commands, behind an adapter's latency timer of 0, 1 and 16 ms.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "boards/KorvelBoard.h"
#include "programmer/Programmer.h"
#include "protocol/ByteCommands.h"
#include "tools/avrboard/AvrBoard.h"
#include "tools/launch/SimulatorProcess.h"

namespace korvel {
namespace {

using sim::AvrBoard;

constexpr double kCyclesPerUs = AvrBoard::kClockHz / 1e6;
constexpr std::uint64_t kCyclesPerMs = AvrBoard::kClockHz / 1000;

double Seconds(std::uint64_t cycles) {
    return static_cast<double>(cycles) / AvrBoard::kClockHz;
}

// A host on the simulated line: what it sends, and each byte it gets with the cycle it has it,
// once its stop bit is in and, behind an adapter's latency timer, at the timer's next tick.
class Host {
  public:
    Host(const char* chip, std::vector<std::uint8_t> contents, int latencyMs = 0)
        : latencyCycles_(static_cast<std::uint64_t>(latencyMs) * kCyclesPerMs) {
        sim::AvrBoardSetup setup;
        setup.firmware = KORVEL_FIRMWARE_ELF;
        setup.chip = sim::FindChip(chip);
        setup.contents = std::move(contents);
        std::string error;
        board_ = AvrBoard::Create(setup, error);
        if (!board_) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return;
        }
        board_->OnSend([this](std::uint8_t byte) {
            std::uint64_t in = board_->Cycle() + board_->ByteCycles();
            if (latencyCycles_ != 0) {
                in = (in + latencyCycles_ - 1) / latencyCycles_ * latencyCycles_;
            }
            got_.push_back({byte, in});
        });
        board_->RunUntil(kCyclesPerMs);
    }
    bool Ready() const { return board_ != nullptr; }
    AvrBoard& Board() { return *board_; }

    void Send(const std::vector<std::uint8_t>& bytes) {
        for (std::uint8_t byte : bytes) {
            board_->Receive(byte);
        }
    }
    // Runs until `count` bytes have come in since the last Take, and not a cycle longer; false
    // when they do not come within a second.
    bool Await(std::size_t count) {
        const std::uint64_t limit = board_->Cycle() + AvrBoard::kClockHz;
        while (!Arrived(count)) {
            if (board_->Cycle() > limit) {
                return false;
            }
            board_->RunUntil(got_.size() >= count ? got_[count - 1].in
                                                  : board_->Cycle() + kLookCycles);
        }
        return true;
    }
    // The first `count` bytes that came in.
    std::vector<std::uint8_t> Take(std::size_t count) {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < count; ++i) {
            bytes.push_back(got_.front().byte);
            got_.pop_front();
        }
        return bytes;
    }
    // The cycle the first byte that has not been taken started on the line.
    std::uint64_t FirstStart() const { return got_.front().in - board_->ByteCycles(); }
    std::uint64_t Now() const { return board_->Cycle(); }
    void SetBaud(int baud) { board_->SetHostBaud(baud); }

  private:
    static constexpr std::uint64_t kLookCycles = 64;  // 4 us
    struct Got {
        std::uint8_t byte;
        std::uint64_t in;
    };
    bool Arrived(std::size_t count) const {
        return got_.size() >= count && got_[count - 1].in <= board_->Cycle();
    }

    std::uint64_t latencyCycles_;
    std::unique_ptr<AvrBoard> board_;
    std::deque<Got> got_;
};

// ----- The original commands -----

// The cycles from the end of the command's last byte to the start of the answer.
std::uint64_t AnswerDelay(Host& host, const std::vector<std::uint8_t>& command) {
    host.Board().RunUntil(host.Now() + 20 * kCyclesPerMs);  // the board settles
    host.Send(command);
    const std::uint64_t in = host.Board().HostLineFree();
    if (!host.Await(1)) {
        return 0;
    }
    const std::uint64_t delay = host.FirstStart() - in;
    host.Await(command.front() == protocol::kVersionRequest ? protocol::kVersionLength : 1);
    host.Take(command.front() == protocol::kVersionRequest ? protocol::kVersionLength : 1);
    return delay;
}

void PrintDelay(const char* what, std::uint64_t cycles) {
    std::printf("  %-46s %7llu cycles  %8.1f us\n", what, static_cast<unsigned long long>(cycles),
                static_cast<double>(cycles) / kCyclesPerUs);
}

void MeasureExchanges() {
    Host small("24C16", {});
    Host large("24C256", {});
    if (!small.Ready() || !large.Ready()) {
        return;
    }
    small.Send({'T', 0x00, 'C', 0xA6});
    large.Send({'T', 0x01, 'C', 0xA0});
    std::printf("What the firmware adds to an exchange (bus at 100 kHz):\n");
    PrintDelay("'F' version (to the first of three bytes)", AnswerDelay(small, {'F'}));
    PrintDelay("'R' 24C16, one address byte", AnswerDelay(small, {'R', 0x34}));
    PrintDelay("'R' 24C16, the next address", AnswerDelay(small, {'R', 0x35}));
    PrintDelay("'R' 24C256, two address bytes", AnswerDelay(large, {'R', 0x34, 0x12}));
    PrintDelay("'R' 24C256, the next address", AnswerDelay(large, {'R', 0x35, 0x12}));
    PrintDelay("'W' 24C16 (the write cycle runs on)", AnswerDelay(small, {'W', 0x34, 0x5A}));
    PrintDelay("'W' 24C256 (the write cycle runs on)", AnswerDelay(large, {'W', 0x34, 0x12, 0x5A}));
}

// Writes `count` addresses one after the other, each 'W' sent as soon as the answer to the one
// before is in, and compares the time with the bytes' own time on the line.
void MeasureByteWrites(const char* chip, int addressBytes, int count) {
    Host host(chip, {});
    if (!host.Ready()) {
        return;
    }
    host.Send({'T', static_cast<std::uint8_t>(addressBytes - 1), 'C', 0xA0});
    host.Board().RunUntil(host.Now() + 10 * kCyclesPerMs);
    const std::uint64_t start = host.Now();
    int failed = 0;
    for (int address = 0; address < count; ++address) {
        std::vector<std::uint8_t> command = {'W', static_cast<std::uint8_t>(address)};
        if (addressBytes == 2) {
            command.push_back(static_cast<std::uint8_t>(address >> 8));
        }
        const auto data = static_cast<std::uint8_t>(address * 7);
        command.push_back(data);
        host.Send(command);
        if (!host.Await(1) || host.Take(1).front() != data) {
            ++failed;
        }
    }
    const double seconds = Seconds(host.Now() - start);
    // The host's bytes at 9600 baud, the answer at the board's 9615.
    const double lineSeconds = count * ((addressBytes + 2) * 10.0 / 9600 + 10.0 / 9615);
    std::printf("  %-7s %d addresses  %7.4f s  %6.3f ms/address  line %6.3f ms  ratio %.3f%s\n",
                chip, count, seconds, 1000 * seconds / count, 1000 * lineSeconds / count,
                seconds / lineSeconds, failed == 0 ? "" : "  (answers wrong!)");
}

// ----- Korvel's host against the firmware -----

// The simulated time of a trace line ("123.4 > 52"): when its byte started on the line.
double LineSeconds(const std::string& line) {
    return std::strtod(line.c_str(), nullptr) / 1e6;
}

// Each operation as korvel-cli runs it, through the programmer and the board's line to the
// firmware on korvel-avrboard: the simulated time from the first byte of the operation on the
// line to the last. The board keeps to the wall clock while it waits for the host, so the host's
// own time between bytes counts, as it does with a real board.
void MeasureHost(const char* chip, bool fastLink, int latencyMs) {
    SimulatorProcess board({"--chip", chip, "--fast", "--latency-ms", std::to_string(latencyMs)},
                           KORVEL_AVRBOARD);
    if (!board.Started()) {
        return;
    }
    Programmer programmer(std::make_unique<KorvelBoard>(KorvelBoardChoices{!fastLink, false}),
                          PortNames());
    programmer.NamePort(2, board.Link());
    programmer.SelectChip(FindChipType(chip));
    programmer.Detect(2);
    std::vector<std::uint8_t> image(static_cast<std::size_t>(programmer.Chip().size));
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 31 + (i >> 8));
    }
    programmer.PutImage(0, image);
    std::printf("  %-7s %-13s %2d ms ", chip, fastLink ? "fast link" : "five commands", latencyMs);
    // Blank check after Erase and Verify after Write, so that both go through the whole chip.
    for (const ChipOperation operation :
         {ChipOperation::Erase, ChipOperation::BlankCheck, ChipOperation::Write,
          ChipOperation::Verify, ChipOperation::Read}) {
        const std::size_t before = board.Trace().size();
        const bool done = programmer.Run(operation).Succeeded();
        const std::vector<std::string> trace = board.Trace();
        const double seconds =
            trace.size() > before + 1 ? LineSeconds(trace.back()) - LineSeconds(trace[before]) : 0;
        std::printf(" %8.3f%s", seconds, done ? " " : "!");
    }
    std::printf("\n");
}

void MeasureHostOnFirmware() {
    std::printf(
        "Korvel's host against the firmware, simulated seconds, Erase Blank Write Verify Read "
        "('!' failed):\n");
    for (const int latencyMs : {0, 1, 16}) {
        for (const char* chip : {"24C02", "24C16", "24C256"}) {
            MeasureHost(chip, true, latencyMs);
            // The five commands on a 24C256 behind a latency timer would take an hour of the
            // wall clock: 32 768 exchanges, each waiting for the timer.
            if (latencyMs == 0 || std::string(chip) != "24C256") {
                MeasureHost(chip, false, latencyMs);
            }
        }
    }
}

}  // namespace
}  // namespace korvel

int main() {
    using namespace korvel;
    MeasureExchanges();
    std::printf(
        "Byte-wise writes with the original commands, each sent when the answer before "
        "is in:\n");
    MeasureByteWrites("24C256", 2, 200);
    MeasureByteWrites("24C16", 1, 200);
    MeasureHostOnFirmware();
    return 0;
}
