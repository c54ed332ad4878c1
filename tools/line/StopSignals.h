#pragma once

#include <csignal>

namespace korvel::sim {

// Set by SIGTERM or SIGINT: the simulated board should end, removing its link.
extern volatile std::sig_atomic_t stopRequested;

// Catches SIGTERM and SIGINT into stopRequested, and holds them back but while a wait lets them
// in (ppoll with an empty mask), so that none slips in between a look at the flag and the wait.
// A host that goes away (SIGPIPE, SIGHUP) ends nothing.
void CatchStopSignals();

}  // namespace korvel::sim
