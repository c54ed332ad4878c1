#pragma once

#include <string>
#include <vector>

struct CliOptions {
    int port = 2;
    std::string device = "24C02";
    std::string in;   // image loaded before the operations
    std::string out;  // image saved after them
    std::vector<std::string> operations;
};

// Reads the command line; on a mistake returns false with the reason in `error`.
bool ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error);

extern const char* const kCliUsage;
