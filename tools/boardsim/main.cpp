// korvel-boardsim: the programmer board and its chip, on a pseudo-terminal.
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <deque>
#include <fstream>
#include <iterator>

#include "tools/boardsim/Board.h"
#include "tools/boardsim/Pty.h"
#include "tools/boardsim/SimOptions.h"

namespace {

using namespace korvel::sim;
using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

std::vector<std::uint8_t> LoadImage(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "korvel-boardsim: can't read %s\n", path.c_str());
        std::exit(2);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Written beside the target and renamed over it, so a reader never sees half a dump.
void WriteDump(const std::string& path, const std::vector<std::uint8_t>& chip) {
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(chip.data()), static_cast<long>(chip.size()));
    }
    std::rename(partial.c_str(), path.c_str());
}

void AppendHex(std::string& line, std::uint8_t byte) {
    char hex[4];
    std::snprintf(hex, sizeof hex, line.empty() ? "%02X" : " %02X", byte);
    line += hex;
}

// Serves the board on the pseudo-terminal. Every byte gets the time it is due: at once, or, on a
// paced line, one byte time (10 bits at 9600 baud) after the line is free in its direction.
// Bytes are taken from the line as soon as they come, so that their time is right even while
// earlier ones are still "on the wire".
class Server {
  public:
    Server(const SimOptions& options, Board& board, int master)
        : options_(options), board_(board), master_(master) {
        if (!options.trace.empty()) {
            trace_ = std::fopen(options.trace.c_str(), "w");
        }
    }
    ~Server() {
        if (trace_ != nullptr) {
            std::fclose(trace_);
        }
    }

    void Run() {
        while (stopRequested == 0) {
            const bool busy = !fromHost_.empty() || !toHost_.empty();
            if (!TakeFromLine(busy ? UntilNextDue() : kIdlePoll) && !busy) {
                SaveIfChanged();  // the line is idle: a good moment for the dump
                continue;
            }
            const auto now = Clock::now();
            while (!fromHost_.empty() && fromHost_.front().due <= now) {
                Take(fromHost_.front());
                fromHost_.pop_front();
            }
            while (!toHost_.empty() && toHost_.front().due <= now) {
                Send(toHost_.front().byte);
                toHost_.pop_front();
            }
        }
        if (!options_.dump.empty()) {
            WriteDump(options_.dump, board_.Chip());
        }
    }

  private:
    struct TimedByte {
        std::uint8_t byte;
        Clock::time_point due;
    };

    static constexpr auto kByteTime = std::chrono::nanoseconds(1'041'667);
    static constexpr auto kIdlePoll = std::chrono::milliseconds(20);
    static constexpr auto kEarlyWake = std::chrono::microseconds(100);

    Clock::time_point Due(Clock::time_point from, Clock::time_point& lineFree) const {
        if (options_.pace) {
            lineFree = std::max(from, lineFree) + kByteTime;
            return lineFree;
        }
        return from;
    }

    // How long the line may be left alone before the next byte falls due.
    Clock::duration UntilNextDue() const {
        auto next = Clock::time_point::max();
        if (!fromHost_.empty()) {
            next = fromHost_.front().due;
        }
        if (!toHost_.empty()) {
            next = std::min(next, toHost_.front().due);
        }
        // A sleep ends late by the system's wake-up time: wake a little early and look again
        // until the byte is due, so that the simulated line runs at its own speed.
        const auto left = next - Clock::now();
        return left > kEarlyWake ? left - kEarlyWake : Clock::duration::zero();
    }

    // Takes in what the host has sent within the time; false when nothing came.
    bool TakeFromLine(Clock::duration timeout) {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count();
        const timespec wait{static_cast<time_t>(ns / 1'000'000'000),
                            static_cast<long>(ns % 1'000'000'000)};
        pollfd entry{master_, POLLIN, 0};
        if (ppoll(&entry, 1, &wait, nullptr) <= 0) {
            return false;
        }
        std::uint8_t bytes[256];
        const ssize_t count = read(master_, bytes, sizeof bytes);
        const auto seen = Clock::now();
        for (ssize_t i = 0; i < count; ++i) {
            fromHost_.push_back({bytes[i], Due(seen, hostLineFree_)});
        }
        return count > 0;
    }

    void Take(const TimedByte& received) {
        AppendHex(line_, received.byte);
        const BoardStep step = board_.Take(received.byte);
        if (!step.reply.empty()) {
            line_ += " ->";
            // The answer starts once the command is in, however late the simulator woke for it.
            const auto start = received.due + std::chrono::milliseconds(options_.delayMs);
            for (std::uint8_t answer : step.reply) {
                toHost_.push_back({answer, Due(start, boardLineFree_)});
                AppendHex(line_, answer);
            }
        }
        if (step.commandEnded) {
            if (trace_ != nullptr) {
                std::fprintf(trace_, "%s\n", line_.c_str());
                std::fflush(trace_);
            }
            line_.clear();
        }
    }

    void Send(std::uint8_t byte) {
        for (;;) {
            if (write(master_, &byte, 1) == 1) {
                return;
            }
            if (errno != EAGAIN && errno != EINTR) {
                return;
            }
            pollfd entry{master_, POLLOUT, 0};
            poll(&entry, 1, 100);
        }
    }

    void SaveIfChanged() {
        if (board_.TakeChanged() && !options_.dump.empty()) {
            WriteDump(options_.dump, board_.Chip());
        }
    }

    const SimOptions& options_;
    Board& board_;
    int master_;
    std::deque<TimedByte> fromHost_;
    std::deque<TimedByte> toHost_;
    Clock::time_point hostLineFree_{};
    Clock::time_point boardLineFree_{};
    std::FILE* trace_ = nullptr;
    std::string line_;
};

}  // namespace

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "korvel-boardsim: %s\n%s", error.c_str(), kSimUsage);
        return 2;
    }
    Board board(options.chipType, LoadImage(options.image), options.version, options.faults);

    struct sigaction stop {};
    stop.sa_handler = RequestStop;
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);

    Pty pty;
    if (!pty.Create(options.link, error)) {
        std::fprintf(stderr, "korvel-boardsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", options.link.c_str());
    std::fflush(stdout);

    if (options.pace) {
        prctl(PR_SET_TIMERSLACK, 1UL);  // byte times are a millisecond: wake on the microsecond
    }
    Server server(options, board, pty.master());
    server.Run();
    return 0;
}
