#pragma once

#include <optional>
#include <string>
#include <vector>

#include "boards/KorvelBoard.h"
#include "cli/CliOperations.h"
#include "image/ImageFormat.h"
#include "platform/CommandLine.h"

namespace korvel {

struct CliOptions {
    int port = 2;                       // COM1 to COM4
    std::string portDevice;             // a device named by its path instead of a port number
    int chipRow = 2;                    // the chip type's catalogue row: 24C02
    std::string in;                     // image loaded before the operations
    std::string out;                    // image saved after them
    std::optional<ImageFormat> format;  // of both files; else each file's by its extension
    KorvelBoardChoices board = KorvelBoardChoices::FromEnvironment();
    std::vector<const CliOperation*> operations;
};

// Reads the command line; on a mistake the reason is in `error`.
CommandLineRequest ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error);

// What --help prints.
std::string CliUsage();

}  // namespace korvel
