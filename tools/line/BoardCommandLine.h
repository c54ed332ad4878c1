#pragma once

#include <string>

#include "platform/CommandLine.h"
#include "tools/chips/ChipFacts.h"

namespace korvel::sim {

// What every simulated board is told: where its line appears, the chip in its socket, and the
// files for the chip's contents and for a log of the line.
struct BoardLineOptions {
    std::string link;  // where the pseudo-terminal's symlink goes
    const ChipFacts* chip = FindChip("24C256");
    std::string image;     // chip contents at start; all 0xFF without one
    std::string dump;      // where the chip contents are written when they change and at the end
    std::string trace;     // where the exchanges on the line are logged
    long chipAddress = 0;  // how the chip's pins A2-A0 are wired: it answers only there
};

// The key of --chip-address=N in every simulated board's option table.
constexpr int kChipAddressKey = 0x1000;

// The value of option --`option`: a whole number from `low` to `high`, decimal or 0x hex; false
// with the reason in `error` for anything else.
bool ReadOptionNumber(const char* option, const char* text, long low, long high, long& value,
                      std::string& error);

// Reads a simulated board's command line: -l/--link (required), -c/--chip, -i/--image,
// -d/--dump, -t/--trace and --chip-address here, which the option tables must hold, and the board's
// own options through `take`. Words that are no options are mistakes.
CommandLineRequest ReadBoardCommandLine(int argc, char** argv, const char* shortOptions,
                                        const option* longOptions, BoardLineOptions& line,
                                        const OptionTaker& take, std::string& error);

}  // namespace korvel::sim
