#pragma once

namespace korvel::sim {

// The rates the host has set on the pseudo-terminal's slave side, in baud: the one it sends at
// and the one it listens at. Linux hands the slave's settings to the master, so the board's
// side sees what a real UART would notice only as framing errors.
struct HostRates {
    int sends = 0;
    int listens = 0;
};

// The host's rates, read through the master side; zeros when they cannot be read.
HostRates ReadHostRates(int master);

}  // namespace korvel::sim
