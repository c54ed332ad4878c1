#pragma once

#include <string>

#include "platform/CommandLine.h"
#include "tools/chips/ChipFacts.h"

namespace korvel::sim {

struct BoardOptions {
    std::string link;      // where the pseudo-terminal's symlink goes
    std::string firmware;  // the firmware's ELF file
    const ChipFacts* chip = FindChip("24C256");
    std::string image;  // chip contents at start; all 0xFF without one
    std::string dump;   // where the chip contents are written when they change and at the end
    std::string trace;  // where each byte on the line is logged with its simulated time
    bool noChip = false;
    bool stuckBus = false;
    bool fast = false;  // the board's time runs ahead of the wall clock while it has work
};

// Reads the command line over the defaults in `options`; on a mistake the reason is in `error`.
CommandLineRequest ParseBoardOptions(int argc, char** argv, BoardOptions& options,
                                     std::string& error);

extern const char* const kBoardUsage;

}  // namespace korvel::sim
