#pragma once

#include <string>

#include "tools/boardsim/Board.h"

namespace korvel::sim {

struct SimOptions {
    std::string link;  // where the pseudo-terminal's symlink goes
    int chipType = 9;  // catalogue index of the chip in the socket
    std::string version = "2.1";
    std::string image;  // chip contents at start; all 0xFF without one
    std::string dump;   // where the chip contents are written when they change
    std::string trace;  // where each exchange on the line is logged
    long delayMs = 0;   // added before every reply
    bool pace = false;  // run the line at 9600 baud
    BoardFaults faults;
};

// Reads the command line; on a mistake returns false with the reason in `error`.
bool ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error);

extern const char* const kSimUsage;

}  // namespace korvel::sim
