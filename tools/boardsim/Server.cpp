#include "tools/boardsim/Server.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "tools/line/ChipFiles.h"

namespace korvel::sim {

namespace {

using std::chrono::milliseconds;

constexpr auto kByteTime = std::chrono::nanoseconds(1'041'667);
constexpr auto kIdlePoll = milliseconds(20);
// A sleep ends late by the system's wake-up time: wake a little early and look again until the
// byte is due, so that the simulated line runs at its own speed.
constexpr auto kEarlyWake = std::chrono::microseconds(100);
constexpr std::uint8_t kFloodByte = 0x55;

void AppendHex(std::string& line, std::uint8_t byte) {
    char hex[4];
    std::snprintf(hex, sizeof hex, line.empty() ? "%02X" : " %02X", byte);
    line += hex;
}

}  // namespace

Server::Server(const SimOptions& options, Board& board, Pty& line)
    : options_(options), board_(board), pty_(line), master_(line.master()) {
    if (!options.trace.empty()) {
        trace_ = std::fopen(options.trace.c_str(), "w");
    }
    if (options.chaosSeed >= 0) {
        chaos_.emplace(options.chaosSeed);
    }
}

Server::~Server() {
    if (trace_ != nullptr) {
        std::fclose(trace_);
    }
}

void Server::Run(const volatile std::sig_atomic_t& stop) {
    while (stop == 0 && !gone_) {
        const bool busy = !fromHost_.empty() || !toHost_.empty() || nextFlood_.has_value();
        Wait(busy ? NextDue() : Clock::now() + kIdlePoll);
        const auto now = Clock::now();
        while (!fromHost_.empty() && fromHost_.front().due <= now && !gone_) {
            Take(fromHost_.front());
            fromHost_.pop_front();
        }
        Flood(now);
        SendDue(now);
        if (!busy) {
            SaveIfChanged();  // the line is idle: a good moment for the dump
        }
    }
    if (!options_.dump.empty()) {
        WriteDump(options_.dump, board_.Chip());
    }
}

Server::Clock::time_point Server::Due(Clock::time_point from, Clock::time_point& lineFree) const {
    if (options_.pace) {
        lineFree = std::max(from, lineFree) + kByteTime;
        return lineFree;
    }
    return from;
}

// An adapter's latency timer lets received bytes through only when it runs out.
Server::Clock::time_point Server::ReleasedAt(Clock::time_point due) const {
    if (options_.latencyMs <= 0) {
        return due;
    }
    const Clock::duration tick = milliseconds(options_.latencyMs);
    const auto ticks = (due - epoch_ + tick - Clock::duration(1)) / tick;
    return epoch_ + ticks * tick;
}

Server::Clock::time_point Server::NextDue() const {
    const auto now = Clock::now();
    auto next = now + kIdlePoll;
    if (!fromHost_.empty()) {
        next = std::min(next, fromHost_.front().due - kEarlyWake);
    }
    // A byte already due waits for room on the line instead.
    if (!toHost_.empty() && toHost_.front().due > now) {
        next = std::min(next, toHost_.front().due - kEarlyWake);
    }
    if (nextFlood_ && (options_.floodMs > 0 || toHost_.empty())) {
        next = std::min(next, *nextFlood_ - kEarlyWake);
    }
    return next;
}

// Waits for the host's bytes, or for room on the line when a byte is due, until `until`; a host
// that closes the line is noticed meanwhile. The stop signals are let in only here, so that one
// cannot slip in between a check and the wait.
void Server::Wait(Clock::time_point until) {
    const auto now = Clock::now();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::max(until - now, Clock::duration::zero()))
                        .count();
    const timespec wait{static_cast<time_t>(ns / 1'000'000'000),
                        static_cast<long>(ns % 1'000'000'000)};
    const bool sending = !toHost_.empty() && toHost_.front().due <= now;
    pollfd entries[] = {{master_, static_cast<short>(POLLIN | (sending ? POLLOUT : 0)), 0},
                        {pty_.watch(), POLLIN, 0}};
    sigset_t open{};
    sigemptyset(&open);
    if (ppoll(entries, 2, &wait, &open) <= 0) {
        return;
    }
    if ((entries[1].revents & POLLIN) != 0) {
        pty_.TakeLineEvents();
    }
    if ((entries[0].revents & POLLIN) == 0) {
        return;
    }
    std::uint8_t bytes[256];
    const ssize_t count = read(master_, bytes, sizeof bytes);
    const auto seen = Clock::now();
    for (ssize_t i = 0; i < count; ++i) {
        fromHost_.push_back({bytes[i], Due(seen, hostLineFree_)});
    }
}

void Server::Take(const TimedByte& received) {
    AppendHex(line_, received.byte);
    const BoardStep step = board_.Take(received.byte);
    if (!step.reply.empty()) {
        line_ += " ->";
        for (std::uint8_t answer : step.reply) {
            AppendHex(line_, answer);
        }
        // The answer starts once the command is in, however late the simulator woke for it.
        const auto start = received.due + milliseconds(options_.delayMs);
        if (chaos_) {
            const Chaos::Answer spoilt = chaos_->Spoil(step.reply);
            gone_ = spoilt.goAway;
            Queue(spoilt.bytes, start + spoilt.delay);
        } else {
            Queue(step.reply, start);
        }
        if (options_.floodAfter >= 0 && board_.Replies() >= options_.floodAfter && !nextFlood_) {
            nextFlood_ = start;
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

void Server::Queue(const std::vector<std::uint8_t>& bytes, Clock::time_point start) {
    for (const std::uint8_t byte : bytes) {
        toHost_.push_back({byte, ReleasedAt(Due(start, boardLineFree_))});
    }
}

// A board that talks without being asked: a byte every so often, or back to back.
void Server::Flood(Clock::time_point now) {
    if (options_.floodAfter == 0 && !nextFlood_) {
        nextFlood_ = now;
    }
    if (!nextFlood_ || *nextFlood_ > now || (options_.floodMs == 0 && !toHost_.empty())) {
        return;
    }
    Queue({kFloodByte}, *nextFlood_);
    *nextFlood_ += milliseconds(options_.floodMs);
}

// Sends what is due while the line takes it; what it does not take yet waits in the queue.
void Server::SendDue(Clock::time_point now) {
    while (!toHost_.empty() && toHost_.front().due <= now) {
        if (write(master_, &toHost_.front().byte, 1) != 1) {
            return;
        }
        toHost_.pop_front();
    }
}

void Server::SaveIfChanged() {
    if (board_.TakeChanged() && !options_.dump.empty()) {
        WriteDump(options_.dump, board_.Chip());
    }
}

}  // namespace korvel::sim
