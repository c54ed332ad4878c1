#pragma once

#include <string>

#include "tools/line/BoardCommandLine.h"

namespace korvel::sim {

// The trace logs each byte on the line with its simulated time.
struct BoardOptions : BoardLineOptions {
    std::string firmware;  // the firmware's ELF file
    bool noChip = false;
    bool stuckBus = false;
    bool fast = false;         // the board's time runs ahead of the wall clock while it has work
    long latencyMs = 0;        // bytes to the host go at the next multiple of this; 0 at once
    long writeCycleMs = 5;     // the chip's write cycle
    long endlessCycleAt = -1;  // chip address whose write cycle never ends; -1 none
    long refuseWriteAt = -1;   // chip address whose data the chip refuses; -1 none
};

// Reads the command line over the defaults in `options`; on a mistake the reason is in `error`.
CommandLineRequest ParseBoardOptions(int argc, char** argv, BoardOptions& options,
                                     std::string& error);

extern const char* const kBoardUsage;

}  // namespace korvel::sim
