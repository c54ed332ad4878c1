#include "tools/line/BoardCommandLine.h"

#include <cerrno>
#include <cstdlib>

namespace korvel::sim {

bool ReadOptionNumber(const char* option, const char* text, long low, long high, long& value,
                      std::string& error) {
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || number < low || number > high) {
        error = std::string("--") + option + " takes a number from " + std::to_string(low) +
                " to " + std::to_string(high) + ", not '" + text + "'";
        return false;
    }
    value = number;
    return true;
}

CommandLineRequest ReadBoardCommandLine(int argc, char** argv, const char* shortOptions,
                                        const option* longOptions, BoardLineOptions& line,
                                        const OptionTaker& take, std::string& error) {
    const auto takeAny = [&](int key, const char* value, std::string& why) {
        switch (key) {
            case 'l':
                line.link = value;
                return true;
            case 'c':
                line.chip = FindChip(value);
                why = std::string("unknown chip '") + value + "'";
                return line.chip != nullptr;
            case 'i':
                line.image = value;
                return true;
            case 'd':
                line.dump = value;
                return true;
            case 't':
                line.trace = value;
                return true;
            case kChipAddressKey:
                return ReadOptionNumber("chip-address", value, 0, 7, line.chipAddress, why);
            default:
                return take(key, value, why);
        }
    };
    std::vector<std::string> operands;
    const CommandLineRequest request =
        ReadCommandLine(argc, argv, shortOptions, longOptions, takeAny, operands, error);
    if (request != CommandLineRequest::Run) {
        return request;
    }
    if (!operands.empty()) {
        error = "unexpected '" + operands.front() + "'";
        return CommandLineRequest::Mistake;
    }
    if (line.link.empty()) {
        error = "--link=PATH is required";
        return CommandLineRequest::Mistake;
    }
    return CommandLineRequest::Run;
}

}  // namespace korvel::sim
