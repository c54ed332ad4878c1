#include "tools/boardsim/Server.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "protocol/FastLink.h"
#include "tools/line/ChipFiles.h"
#include "tools/line/LineRate.h"

namespace korvel::sim {

namespace {

using std::chrono::milliseconds;

constexpr auto kIdlePoll = milliseconds(20);
// A sleep ends late by the system's wake-up time: wake a little early and look again until the
// byte is due, so that the simulated line runs at its own speed.
constexpr auto kEarlyWake = std::chrono::microseconds(100);
constexpr std::uint8_t kFloodByte = 0x55;
constexpr auto kWriteCycle = milliseconds(5);
constexpr auto kFrameByteLimit = milliseconds(protocol::kFrameByteLimitMs);
constexpr auto kIdleLimit = milliseconds(protocol::kIdleLimitMs);

// Ten bits a byte: start, eight data bits, stop.
std::chrono::nanoseconds ByteTime(int baud) {
    constexpr long long kTenBitsNs = 10'000'000'000LL;
    return std::chrono::nanoseconds((kTenBitsNs + baud / 2) / baud);
}

}  // namespace

Server::Server(const SimOptions& options, Board& board, Pty& line)
    : options_(options),
      board_(board),
      pty_(line),
      master_(line.master()),
      noise_(options.flipEvery, options.seed),
      trace_(options.trace) {
    if (options.chaosSeed >= 0) {
        chaos_.emplace(options.chaosSeed);
    }
}

void Server::Run(const volatile std::sig_atomic_t& stop) {
    while (stop == 0 && !gone_) {
        const bool busy = !fromHost_.empty() || !toHost_.empty() || nextFlood_.has_value();
        Wait(NextDue());
        const auto now = Clock::now();
        while (!fromHost_.empty() && fromHost_.front().due <= now && !gone_) {
            Take(fromHost_.front());
            fromHost_.pop_front();
        }
        Watch(now);
        Flood(now);
        SendDue(now);
        if (!busy) {
            SaveIfChanged();  // the line is idle: a good moment for the dump
        }
    }
    if (!options_.dump.empty()) {
        WriteDump(options_.dump, board_.Contents());
    }
}

Server::Clock::time_point Server::Due(Clock::time_point from, Clock::time_point& lineFree,
                                      int baud) const {
    if (options_.pace) {
        lineFree = std::max(from, lineFree) + ByteTime(baud);
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

Server::Clock::time_point Server::QuietSince() const {
    return std::max(lastHostByte_, lastAnswerEnd_);
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
    if (board_.Baud() == protocol::kFastBaud) {
        next = std::min(
            next, board_.InFrame() ? lastHostByte_ + kFrameByteLimit : QuietSince() + kIdleLimit);
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
    const int baud = ReadHostRates(master_).sends;
    for (ssize_t i = 0; i < count; ++i) {
        fromHost_.push_back({bytes[i], Due(seen, hostLineFree_, baud), baud});
    }
}

// The open board's clocks at the fast rate: a frame whose next byte is late is dropped, and a
// board that has waited long enough for a command goes back to 9600 baud. Bytes that came while
// the simulator itself was late to look count as in time: the host is judged only by what the
// simulator saw on time.
void Server::Watch(Clock::time_point now) {
    pollfd entry{master_, POLLIN, 0};
    if (board_.Baud() != protocol::kFastBaud || !fromHost_.empty() || !toHost_.empty() ||
        poll(&entry, 1, 0) > 0) {
        return;
    }
    if (board_.InFrame() && now - lastHostByte_ > kFrameByteLimit) {
        board_.ForgetFrame();
        trace_.Note("late byte");
        trace_.End();
    }
    if (!board_.InFrame() && now - QuietSince() >= kIdleLimit) {
        board_.BackTo9600();
        trace_.Note("idle: 9600 baud");
        trace_.End();
    }
}

// A byte at another rate than the board's: its UART sees a framing error. The open board drops
// the byte, and any frame in part, and listens at 9600 baud.
void Server::FramingError() {
    if (board_.Baud() == protocol::kFastBaud) {
        board_.BackTo9600();
        trace_.Note("framing error: 9600 baud");
        trace_.End();
        return;
    }
    trace_.Note("framing error");
    if (!board_.InCommand()) {
        trace_.End();
    }
}

void Server::Take(const TimedByte& received) {
    const int baud = board_.Baud();
    std::size_t heldBytes = 0;
    if (baud == protocol::kFastBaud) {
        while (!held_.empty() && held_.front().answered <= received.due) {
            held_.pop_front();
        }
        for (const HeldFrame& frame : held_) {
            heldBytes += frame.bytes;
        }
    }
    lastHostByte_ = received.due;
    if (received.baud != board_.Baud()) {
        FramingError();
        return;
    }
    const std::uint8_t byte =
        baud == protocol::kFastBaud ? noise_.Pass(received.byte) : received.byte;
    trace_.Took(byte);
    const BoardStep step = board_.Take(byte, heldBytes);
    if (!step.reply.empty()) {
        trace_.Answered(step.reply);
        Answer(received, step, baud);
    }
    if (step.dropped != nullptr) {
        trace_.Note(step.dropped);
    }
    if (step.commandEnded) {
        trace_.End();
    }
}

// The answer starts once the command is in, however late the simulator woke for it, and on a
// paced line after the chip's write cycle when it waits for one.
void Server::Answer(const TimedByte& received, const BoardStep& step, int baud) {
    auto start = received.due + milliseconds(options_.delayMs);
    if (step.writeCycle && options_.pace) {
        start += kWriteCycle;
    }
    if (chaos_) {
        const Chaos::Answer spoilt = chaos_->Spoil(step.reply);
        gone_ = spoilt.goAway;
        Queue(spoilt.bytes, start + spoilt.delay, baud);
    } else {
        Queue(step.reply, start, baud);
    }
    if (baud == protocol::kFastBaud) {
        held_.push_back({lastAnswerEnd_, step.frameBytes});
    }
    if (options_.floodAfter >= 0 && board_.Replies() >= options_.floodAfter && !nextFlood_) {
        nextFlood_ = start;
    }
}

void Server::Queue(const std::vector<std::uint8_t>& bytes, Clock::time_point start, int baud) {
    for (const std::uint8_t byte : bytes) {
        lastAnswerEnd_ = Due(start, boardLineFree_, baud);
        toHost_.push_back({baud == protocol::kFastBaud ? noise_.Pass(byte) : byte,
                           ReleasedAt(lastAnswerEnd_), baud});
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
    Queue({kFloodByte}, *nextFlood_, board_.Baud());
    *nextFlood_ += milliseconds(options_.floodMs);
}

// Sends what is due while the line takes it; what it does not take yet waits in the queue.
// What the host cannot hear at the rate it listens at is gone.
void Server::SendDue(Clock::time_point now) {
    if (toHost_.empty() || toHost_.front().due > now) {
        return;
    }
    const int listens = ReadHostRates(master_).listens;
    while (!toHost_.empty() && toHost_.front().due <= now) {
        if (toHost_.front().baud == listens && write(master_, &toHost_.front().byte, 1) != 1) {
            return;
        }
        toHost_.pop_front();
        lastAnswerEnd_ = std::max(lastAnswerEnd_, now);
    }
}

void Server::SaveIfChanged() {
    if (board_.TakeChanged() && !options_.dump.empty()) {
        WriteDump(options_.dump, board_.Contents());
    }
}

}  // namespace korvel::sim
