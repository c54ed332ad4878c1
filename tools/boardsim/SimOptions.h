#pragma once

#include <string>

#include "tools/boardsim/Board.h"
#include "tools/boardsim/Chip.h"
#include "tools/line/BoardCommandLine.h"

namespace korvel::sim {

struct SimOptions : BoardLineOptions {
    std::string version = "2.1";  // the answer to 'F'
    long delayMs = 0;             // added before every reply
    long latencyMs = 0;  // replies leave only at multiples of this, as an adapter's timer lets them
    bool pace = false;   // run the line at 9600 baud
    long floodAfter = -1;  // replies before the board starts sending without being asked; -1 never
    long floodMs = 0;      // between two of those bytes; 0 as fast as the line takes them
    long chaosSeed = -1;   // answer at random from this seed; -1 never
    bool openBoard = false;  // Korvel's open board, fast link and all
    long flipEvery = 0;      // at the fast rate, damage about every n-th byte; 0 never
    long seed = 1;           // where that damage comes from
    BoardFaults faults;
    ChipFaults chipFaults;
};

// Reads the command line; on a mistake the reason is in `error`.
CommandLineRequest ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error);

extern const char* const kSimUsage;

}  // namespace korvel::sim
