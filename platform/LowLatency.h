#pragma once

#include <string>

namespace korvel {

// The board answers every command with one byte, so a USB adapter that holds received bytes back
// (an FTDI chip waits for its latency timer, 16 ms by default) costs that time on every address.

// Asks the port's driver to pass received bytes on at once (ASYNC_LOW_LATENCY). Keeps the flags
// the port had in `previous` and returns true when it changed them; a port that has no such
// flags (a pseudo-terminal) or refuses is left as it was.
bool SetLowLatency(int fd, int& previous);
// Puts back the flags that SetLowLatency found.
void RestoreSerialFlags(int fd, int previous);

// When the adapter behind `device` still waits more than 1 ms for its received bytes (its
// driver ignores the flag), one line for the user that names the udev rule that fixes it;
// otherwise nothing. `root` is where /sys is found ("/" on this machine).
std::string LatencyTimerAdvice(const std::string& device, const std::string& root = "/");

}  // namespace korvel
