// korvel-avrboard: the programmer board's own firmware on a simulated ATmega328P, with a 24Cxx
// chip on its bus and its serial line on a pseudo-terminal. A test tool: it links simavr.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <deque>

#include "resources/Version.h"
#include "tools/avrboard/AvrBoard.h"
#include "tools/avrboard/BoardOptions.h"
#include "tools/line/ChipFiles.h"
#include "tools/line/Pty.h"
#include "tools/line/StopSignals.h"

namespace {

using namespace korvel;
using namespace korvel::sim;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kPowerOnCycles = AvrBoard::kClockHz / 100;  // 10 ms

// Runs the board against the wall clock and carries the bytes between the pseudo-terminal and
// the board's UART, each delivered to the host once its time on the line is over (and, behind
// a latency timer, at the timer's next tick). The host's side of the line runs at the rate the
// host set on the pseudo-terminal.
class Bridge {
  public:
    Bridge(AvrBoard& board, Pty& line, const BoardOptions& options)
        : board_(board), line_(line), master_(line.master()), options_(options) {
        if (!options.trace.empty()) {
            trace_ = std::fopen(options.trace.c_str(), "w");
        }
        board.OnSend([this](std::uint8_t byte) {
            toHost_.push_back({byte, AtLatencyTick(board_.Cycle() + board_.ByteCycles())});
            Trace('<', byte, board_.Cycle());
        });
    }
    ~Bridge() {
        if (trace_ != nullptr) {
            std::fclose(trace_);
        }
    }
    Bridge(const Bridge&) = delete;
    Bridge& operator=(const Bridge&) = delete;

    // Serves until asked to stop; false when the firmware stopped by itself.
    bool Run() {
        while (stopRequested == 0) {
            TakeHostBaud();
            const std::uint64_t from = board_.Cycle();
            const std::uint64_t paced = std::min(PacedCycle(), from + kSlice);
            if (!board_.RunUntil(working_ ? from + kSlice : paced)) {
                return false;
            }
            if (working_) {
                lead_ = std::max(lead_, board_.Cycle() - std::min(board_.Cycle(), WallCycle()));
            }
            if (options_.fast) {
                // The board works from a byte that comes in until its answer is out and the
                // bus has been quiet for a while; after that it waits for the host.
                working_ = !toHost_.empty() || board_.Cycle() < board_.LastActivity() + kSettle;
            }
            SendDue();
            const bool ahead = board_.Cycle() >= PacedCycle();
            TakeFromHost(working_ || !ahead ? std::chrono::nanoseconds(0) : kSliceTime);
            SaveWhenQuiet();
        }
        if (board_.Chip() != nullptr && !options_.dump.empty()) {
            WriteDump(options_.dump, board_.Chip()->Contents());
        }
        return true;
    }

  private:
    struct Outgoing {
        std::uint8_t byte;
        std::uint64_t due;  // the cycle it reaches the host: its stop bit ends, or the next
                            // tick of the latency timer after that
    };

    static constexpr std::uint64_t kSlice = AvrBoard::kClockHz / 4000;  // a quarter millisecond
    static constexpr auto kSliceTime = std::chrono::microseconds(250);
    static constexpr auto kQuiet = std::chrono::milliseconds(20);
    static constexpr std::uint64_t kSettle = AvrBoard::kClockHz / 1000;  // a millisecond

    std::uint64_t WallCycle() const {
        const auto ns =
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start_).count();
        return static_cast<std::uint64_t>(ns) * (AvrBoard::kClockHz / 1'000'000) / 1000;
    }
    std::uint64_t PacedCycle() const { return WallCycle() + lead_; }

    std::uint64_t AtLatencyTick(std::uint64_t cycle) const {
        const std::uint64_t tick =
            static_cast<std::uint64_t>(options_.latencyMs) * (AvrBoard::kClockHz / 1000);
        return tick == 0 ? cycle : (cycle + tick - 1) / tick * tick;
    }

    // Takes what the host has sent, waiting for it at most `wait`; a host that closes the line
    // is noticed meanwhile.
    void TakeFromHost(std::chrono::nanoseconds wait) {
        const timespec timeout{0, static_cast<long>(wait.count())};
        pollfd entries[] = {{master_, POLLIN, 0}, {line_.watch(), POLLIN, 0}};
        sigset_t open{};
        sigemptyset(&open);
        if (ppoll(entries, 2, &timeout, &open) <= 0) {
            return;
        }
        if ((entries[1].revents & POLLIN) != 0) {
            line_.TakeLineEvents();
        }
        if ((entries[0].revents & POLLIN) == 0) {
            return;
        }
        TakeHostBaud();  // the rate the host set before it wrote these bytes
        std::uint8_t bytes[256];
        const ssize_t count = read(master_, bytes, sizeof bytes);
        for (ssize_t i = 0; i < count; ++i) {
            Trace('>', bytes[i], board_.Receive(bytes[i]));
        }
        if (count > 0) {
            lastFromHost_ = Clock::now();
        }
    }

    // A rate the table does not know leaves the last one in place.
    void TakeHostBaud() {
        const int baud = line_.SlaveBaud();
        if (baud != 0) {
            board_.SetHostBaud(baud);
        }
    }

    void SendDue() {
        while (!toHost_.empty() && toHost_.front().due <= board_.Cycle()) {
            const ssize_t written = write(master_, &toHost_.front().byte, 1);
            if (written != 1 && (errno == EAGAIN || errno == EINTR)) {
                return;  // the host's side is full: the rest goes on the next round
            }
            toHost_.pop_front();
        }
    }

    // The dump is rewritten once the host has been quiet for a while, not after every byte.
    void SaveWhenQuiet() {
        I2cEeprom* chip = board_.Chip();
        if (chip != nullptr && !options_.dump.empty() && Clock::now() - lastFromHost_ > kQuiet &&
            chip->TakeChanged()) {
            WriteDump(options_.dump, chip->Contents());
        }
    }

    // A byte with the cycle it starts on the line.
    void Trace(char direction, std::uint8_t byte, std::uint64_t cycle) {
        if (trace_ != nullptr) {
            const double us = static_cast<double>(cycle) / (AvrBoard::kClockHz / 1e6);
            std::fprintf(trace_, "%.1f %c %02X\n", us, direction, byte);
            std::fflush(trace_);
        }
    }

    AvrBoard& board_;
    Pty& line_;
    int master_;
    const BoardOptions& options_;
    std::FILE* trace_ = nullptr;
    std::deque<Outgoing> toHost_;
    const Clock::time_point start_ = Clock::now();
    Clock::time_point lastFromHost_ = start_;
    std::uint64_t lead_ = 0;  // cycles the board's time is ahead of the wall clock
    bool working_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    BoardOptions options;
    options.firmware = KORVEL_FIRMWARE_ELF;
    std::string error;
    const CommandLineRequest request = ParseBoardOptions(argc, argv, options, error);
    if (request != CommandLineRequest::Run) {
        return AnswerCommandLine(request, "korvel-avrboard", kBoardUsage, KORVEL_VERSION, error);
    }
    AvrBoardSetup setup;
    setup.firmware = options.firmware;
    setup.chip = options.noChip ? nullptr : options.chip;
    setup.stuckBus = options.stuckBus;
    setup.behaviour.pins = static_cast<int>(options.chipAddress);
    setup.behaviour.writeCycleNs = static_cast<std::uint64_t>(options.writeCycleMs) * 1'000'000;
    setup.behaviour.endlessCycleAt = options.endlessCycleAt;
    setup.behaviour.refuseWriteAt = options.refuseWriteAt;
    if (setup.chip != nullptr &&
        !LoadChipImage(options.image, setup.chip->size, setup.contents, error)) {
        std::fprintf(stderr, "korvel-avrboard: %s\n", error.c_str());
        return 2;
    }
    std::unique_ptr<AvrBoard> board = AvrBoard::Create(setup, error);
    if (!board) {
        std::fprintf(stderr, "korvel-avrboard: %s\n", error.c_str());
        return 1;
    }
    // A board is on before a host opens its port: its firmware has set its UART up (a quarter
    // of a millisecond after reset) by the time the first byte comes.
    board->RunUntil(kPowerOnCycles);

    CatchStopSignals();

    Pty pty;
    if (!pty.Create(options.link, error)) {
        std::fprintf(stderr, "korvel-avrboard: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", options.link.c_str());
    std::fflush(stdout);

    Bridge bridge(*board, pty, options);
    if (!bridge.Run()) {
        std::fprintf(stderr, "korvel-avrboard: the firmware stopped\n");
        return 1;
    }
    return 0;
}
