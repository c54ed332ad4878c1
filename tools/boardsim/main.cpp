// korvel-boardsim: the programmer board and its chip, on a pseudo-terminal.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

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

// One direction of a 9600-baud line: 10 bits a byte, one byte after the other.
class LineClock {
  public:
    explicit LineClock(bool paced) : paced_(paced) {}
    void WaitOneByte() {
        if (!paced_) {
            return;
        }
        free_ = std::max(free_, Clock::now()) + kByteTime;
        std::this_thread::sleep_until(free_);
    }

  private:
    static constexpr auto kByteTime = std::chrono::nanoseconds(1'041'667);
    bool paced_;
    Clock::time_point free_{};
};

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

class Server {
  public:
    Server(const SimOptions& options, Board& board, int master)
        : options_(options), board_(board), master_(master), rx_(options.pace), tx_(options.pace) {
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
            pollfd entry{master_, POLLIN, 0};
            const int ready = poll(&entry, 1, 20);
            if (ready <= 0) {
                SaveIfChanged();  // the line is idle: a good moment for the dump
                continue;
            }
            std::uint8_t bytes[256];
            const ssize_t count = read(master_, bytes, sizeof bytes);
            for (ssize_t i = 0; i < count; ++i) {
                rx_.WaitOneByte();
                Take(bytes[i]);
            }
        }
        if (!options_.dump.empty()) {
            WriteDump(options_.dump, board_.Chip());
        }
    }

  private:
    void Take(std::uint8_t byte) {
        AppendHex(line_, byte);
        const BoardStep step = board_.Take(byte);
        if (!step.reply.empty()) {
            if (options_.delayMs > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(options_.delayMs));
            }
            line_ += " ->";
            for (std::uint8_t answer : step.reply) {
                tx_.WaitOneByte();
                Send(answer);
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
    LineClock rx_;
    LineClock tx_;
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

    Server server(options, board, pty.master());
    server.Run();
    return 0;
}
