#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "tools/boardsim/Board.h"
#include "tools/boardsim/Chaos.h"
#include "tools/boardsim/LineNoise.h"
#include "tools/boardsim/SimOptions.h"
#include "tools/boardsim/Trace.h"
#include "tools/line/Pty.h"

namespace korvel::sim {

// Serves the board on the pseudo-terminal's master side. Every byte gets the time it is due: at
// once, or, on a paced line, one byte time (10 bits at the line's rate) after the line is free
// in its direction, and a reply no earlier than the next tick of a modelled adapter's latency
// timer. Bytes are taken from the line as soon as they come, so that their time is right even
// while earlier ones are still "on the wire". Nothing here waits for the host: a reply it does
// not take stays queued, and a stop request ends the service at once.
//
// Each byte also carries the rate it went at. The host's rates are read from the slave side's
// settings: a byte the host sent at another rate than the board's is a framing error to the
// board, and one the board sent at another rate than the host listens at never reaches it.
class Server {
  public:
    Server(const SimOptions& options, Board& board, Pty& line);
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Serves until `stop` is set (by a signal handler, which may run only while the server
    // waits) or the chaos takes the board away; the dump is then written.
    void Run(const volatile std::sig_atomic_t& stop);

  private:
    using Clock = std::chrono::steady_clock;
    struct TimedByte {
        std::uint8_t byte;
        Clock::time_point due;
        int baud;
    };

    Clock::time_point Due(Clock::time_point from, Clock::time_point& lineFree, int baud) const;
    Clock::time_point ReleasedAt(Clock::time_point due) const;
    Clock::time_point QuietSince() const;
    Clock::time_point NextDue() const;
    void Wait(Clock::time_point until);
    void Watch(Clock::time_point now);
    void Take(const TimedByte& received);
    void FramingError();
    void Answer(const TimedByte& received, const BoardStep& step, int baud);
    void Queue(const std::vector<std::uint8_t>& bytes, Clock::time_point start, int baud);
    void Flood(Clock::time_point now);
    void SendDue(Clock::time_point now);
    void SaveIfChanged();

    const SimOptions& options_;
    Board& board_;
    Pty& pty_;
    int master_;
    std::optional<Chaos> chaos_;
    LineNoise noise_;
    Trace trace_;
    bool gone_ = false;
    const Clock::time_point epoch_ = Clock::now();
    std::deque<TimedByte> fromHost_;
    std::deque<TimedByte> toHost_;
    Clock::time_point hostLineFree_{};
    Clock::time_point boardLineFree_{};
    std::optional<Clock::time_point> nextFlood_;
    // At the fast rate: when the host's last byte came, when the board's last answer went out
    // (on time, or later when the simulator was late), and when each frame the board still
    // holds has its answer out.
    Clock::time_point lastHostByte_{};
    Clock::time_point lastAnswerEnd_{};
    // The frames answered at the fast rate whose answers are not all out yet: the board still
    // holds them.
    struct HeldFrame {
        Clock::time_point answered;
        std::size_t bytes;
    };
    std::deque<HeldFrame> held_;
};

}  // namespace korvel::sim
