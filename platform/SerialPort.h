#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/LineSettings.h"

namespace korvel {

// One serial device, opened exclusively and run raw at the line settings its board needs, with no
// flow control and DTR and RTS held off; a driver that can pass received bytes on at once is
// asked to. Transfers
// wait like the board's line expects: a read of n bytes ends when n bytes have come, 100 * n + 100
// ms after it began, or 100 ms after the last byte that came; a write of n bytes gives up after 100
// * n + 100 ms. A device that has gone away (adapter pulled, board simulator ended) ends every
// transfer at once with nothing moved.
class SerialPort {
  public:
    SerialPort() = default;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    ~SerialPort();

    // Opens the device for reading and writing, claims it and applies the line settings; fails
    // when it is missing, not a terminal, held by someone else (after a quarter of a second), or
    // refuses the settings. A port that refused its settings stays open (and claimed) until
    // Close.
    bool Open(const std::string& path, const LineSettings& line);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Why the last Open or ApplyLineSettings failed, for the user's terminal: the device's path,
    // then the reason, as in "/dev/ttyUSB0: in use".
    const std::string& LastError() const { return lastError_; }
    // What the last Open has to tell the user although it succeeded (an exclusive claim left
    // behind by a program that has ended, taken over); empty for nothing.
    const std::string& Notice() const { return notice_; }

    std::size_t Write(const std::uint8_t* data, std::size_t count);
    std::size_t Read(std::uint8_t* data, std::size_t count);
    // Reads until `count` bytes have come or `limitMs` have passed, whatever the gaps between
    // them: for frames whose time the caller knows better than the per-byte limits.
    std::size_t ReadWithin(std::uint8_t* data, std::size_t count, int limitMs);
    // Changes the line's speed once everything written has left.
    bool ChangeSpeed(int baud);
    // Gives back what Close would of the port this program holds (its exclusive claim, the
    // driver's flags), for a signal handler that ends the program. Async-signal-safe.
    static void ReleaseOnSignal();

    // Drops whatever has arrived and not been read yet.
    void DiscardInput();
    // Drops input until none has come for `quietMs`, or `limitMs` have passed: the tail of an
    // answer still on its way.
    void DiscardInputUntilQuiet(int quietMs, int limitMs);

  private:
    enum class Attempt { Opened, InUse, Failed };

    bool Claim(const std::string& path);
    // One look at the line: opened and claimed, or found claimed (and closed again), or failed.
    Attempt TryOpen(const std::string& path);
    bool Apply(const LineSettings& line);
    bool Fail(const std::string& what);
    bool InUse(const std::string& path);
    // True unless another program holds the line with TIOCEXCL.
    bool Unclaimed(const std::string& path);

    int fd_ = -1;
    bool exclusive_ = false;   // this program made the line exclusive
    bool lowLatency_ = false;  // this program switched the driver's low latency on
    int serialFlags_ = 0;      // the driver's flags before that
    std::string lastError_;
    std::string notice_;
};

}  // namespace korvel
