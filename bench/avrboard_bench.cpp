// korvel-avrboard-bench: the board's firmware on the simulated ATmega328P at 16 MHz, timed in
// simulated time, so that the numbers are the same on every machine.
//  - What the firmware adds to each exchange of the original commands beyond the bytes on the
//    line: from the end of the command's last byte to the start of the answer, bus at 100 kHz.
//  - Byte-wise writes with the original commands against the line's own time.
//  - Whole chips read and written over the fast link, driven as a host would drive them: the
//    switch, the chip setup, then a block or page per frame with two frames outstanding, 'Q'.
#include <algorithm>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "protocol/ByteCommands.h"
#include "protocol/FastLink.h"
#include "tools/avrboard/AvrBoard.h"

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

// ----- The fast link -----

std::vector<std::uint8_t> Framed(std::vector<std::uint8_t> bytes) {
    const std::uint16_t crc = protocol::Crc16(bytes.data(), bytes.size());
    bytes.push_back(static_cast<std::uint8_t>(crc));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return bytes;
}

// A frame and the length of its answer.
struct Exchange {
    std::vector<std::uint8_t> frame;
    std::size_t answerLength;
};

// Runs the exchanges with at most two frames outstanding; the answers in order, or empty ones
// for the answers that never came.
std::vector<std::vector<std::uint8_t>> RunPipeline(Host& host,
                                                   const std::vector<Exchange>& exchanges) {
    std::vector<std::vector<std::uint8_t>> answers;
    std::size_t sent = 0;
    while (answers.size() < exchanges.size()) {
        while (sent < exchanges.size() && sent < answers.size() + protocol::kMostFramesAhead) {
            host.Send(exchanges[sent++].frame);
        }
        const std::size_t length = exchanges[answers.size()].answerLength;
        if (!host.Await(length)) {
            answers.emplace_back();
            break;
        }
        answers.push_back(host.Take(length));
    }
    return answers;
}

// A host turns its line round no sooner than this after the board's last byte: the board
// changes its rate once that byte's stop bit is out.
constexpr std::uint64_t kTurnCycles = 100 * kCyclesPerUs;

// The switch at 9600 baud, then 'P' and 'M' at 500000.
bool SwitchUp(Host& host, const sim::ChipFacts& chip, std::uint8_t bus) {
    host.Send({protocol::kSwitchCommand, protocol::kRate500k});
    if (!host.Await(1) || host.Take(1).front() != protocol::kSwitchCommand) {
        return false;
    }
    host.Board().RunUntil(host.Now() + kTurnCycles);
    host.SetBaud(protocol::kFastBaud);
    const auto answers = RunPipeline(
        host, {{Framed({protocol::kPing}), 3},
               {Framed({protocol::kChipSetup, static_cast<std::uint8_t>(chip.addressBytes),
                        protocol::kDeviceSelect, bus, static_cast<std::uint8_t>(chip.pageSize)}),
                3}});
    return answers.size() == 2 && !answers[1].empty();
}

bool SwitchDown(Host& host) {
    const auto answers = RunPipeline(host, {{Framed({protocol::kBackTo9600}), 3}});
    host.Board().RunUntil(host.Now() + kTurnCycles);
    host.SetBaud(9600);
    return !answers.front().empty();
}

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 31 + (i >> 8));
    }
    return bytes;
}

void PrintRun(const char* what, const char* chip, std::uint8_t bus, std::uint64_t cycles,
              bool right) {
    std::printf("  %-6s %-7s %s  %7.4f s%s\n", what, chip,
                bus == protocol::kBus400kHz ? "400 kHz" : "100 kHz", Seconds(cycles),
                right ? "" : "  WRONG CONTENTS");
}

// A whole chip read in blocks of 64 bytes.
void MeasureFastRead(const char* chipName, std::uint8_t bus, int latencyMs) {
    const sim::ChipFacts& chip = *sim::FindChip(chipName);
    const std::vector<std::uint8_t> contents = Pattern(chip.size);
    Host host(chipName, contents, latencyMs);
    const std::uint64_t start = host.Now();
    if (!host.Ready() || !SwitchUp(host, chip, bus)) {
        std::printf("  %s: no switch\n", chipName);
        return;
    }
    std::vector<Exchange> exchanges;
    const auto block = static_cast<std::uint32_t>(std::min(chip.size, 64u));
    for (std::uint32_t address = 0; address < chip.size; address += block) {
        exchanges.push_back(
            {Framed({protocol::kReadBlock, static_cast<std::uint8_t>(address),
                     static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(block)}),
             6 + block});
    }
    std::vector<std::uint8_t> read;
    for (const auto& answer : RunPipeline(host, exchanges)) {
        if (answer.size() > 6) {
            read.insert(read.end(), answer.begin() + 4, answer.end() - 2);
        }
    }
    const bool down = SwitchDown(host);
    PrintRun("read", chipName, bus, host.Now() - start, down && read == contents);
}

// A whole chip written in pages.
void MeasureFastWrite(const char* chipName, std::uint8_t bus, int latencyMs) {
    const sim::ChipFacts& chip = *sim::FindChip(chipName);
    const std::vector<std::uint8_t> image = Pattern(chip.size);
    Host host(chipName, {}, latencyMs);
    const std::uint64_t start = host.Now();
    if (!host.Ready() || !SwitchUp(host, chip, bus)) {
        std::printf("  %s: no switch\n", chipName);
        return;
    }
    std::vector<Exchange> exchanges;
    for (std::uint32_t address = 0; address < chip.size; address += chip.pageSize) {
        std::vector<std::uint8_t> frame = {protocol::kWritePage, static_cast<std::uint8_t>(address),
                                           static_cast<std::uint8_t>(address >> 8),
                                           static_cast<std::uint8_t>(chip.pageSize)};
        frame.insert(frame.end(), image.begin() + address, image.begin() + address + chip.pageSize);
        exchanges.push_back({Framed(frame), 6});
    }
    bool done = true;
    for (const auto& answer : RunPipeline(host, exchanges)) {
        done = done && answer.size() == 6 && answer[1] == protocol::kStatusDone;
    }
    done = SwitchDown(host) && done;
    PrintRun("write", chipName, bus, host.Now() - start,
             done && host.Board().Chip()->Contents() == image);
}

void MeasureFastLink(int latencyMs) {
    std::printf(
        "The fast link, whole chips, from 'S' to the answer to 'Q', two frames "
        "outstanding, adapter latency %d ms:\n",
        latencyMs);
    const struct {
        const char* chip;
        std::uint8_t bus;
    } runs[] = {
        {"24C02", protocol::kBus100kHz},  {"24C02", protocol::kBus400kHz},
        {"24C16", protocol::kBus400kHz},  {"24C256", protocol::kBus400kHz},
        {"24C256", protocol::kBus100kHz},
    };
    for (const auto& run : runs) {
        MeasureFastRead(run.chip, run.bus, latencyMs);
        MeasureFastWrite(run.chip, run.bus, latencyMs);
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
    MeasureFastLink(0);
    MeasureFastLink(1);
    return 0;
}
