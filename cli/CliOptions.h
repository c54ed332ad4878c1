#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "boards/KorvelBoard.h"
#include "cli/CliOperations.h"
#include "image/ImageFormat.h"
#include "platform/CommandLine.h"

namespace korvel {

// A batch of chips: the operations run for each, with a serial number written into each.
struct CliBatch {
    bool repeat = false;            // one chip after the other
    int count = 0;                  // chips at most; 0 until the user stops
    bool yes = false;               // take each next chip without asking
    std::int32_t serialAt = -1;     // where the serial number goes; -1 none
    std::uint64_t serialStart = 0;  // the first chip's serial number
    int serialBytes = 4;            // its bytes, big-endian
};

struct CliOptions {
    int port = 2;                       // COM1 to COM4
    std::string portDevice;             // a device named by its path instead of a port number
    int chipRow = 2;                    // the chip type's catalogue row: 24C02
    std::string in;                     // image loaded before the operations
    std::string out;                    // image saved after them
    std::optional<ImageFormat> format;  // of both files; else each file's by its extension
    KorvelBoardChoices board = KorvelBoardChoices::FromEnvironment();
    std::optional<std::int32_t> start;  // the range of the chip operations
    std::optional<std::int32_t> length;
    int chipAddress = 0;   // the chip's pins A2-A0
    bool changed = false;  // write only the bytes that differ
    CliBatch batch;
    std::vector<const CliOperation*> operations;
};

// Reads the command line; on a mistake the reason is in `error`. `terminalInput`: standard
// input is a terminal, where a batch can ask for the next chip.
CommandLineRequest ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error,
                                   bool terminalInput = true);

// The range the options give for the chip of `size` bytes.
ChipRange CliRange(const CliOptions& options, std::int32_t size);

// What --help prints.
std::string CliUsage();

}  // namespace korvel
