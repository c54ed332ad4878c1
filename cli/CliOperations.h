#pragma once

#include <optional>
#include <string>

#include "programmer/ChipOperation.h"

namespace korvel {

// What an operation word of the command line does.
enum class CliWork { Detect, Chip, Compare, Probe, List, Ports, Sum };

struct CliOperation {
    const char* word;
    const char* help;  // its line in --help
    CliWork work;
    std::optional<ChipOperation> chip;  // what CliWork::Chip runs
};

// Every operation of korvel-cli, in the order --help lists them.
// clang-format off
inline constexpr CliOperation kCliOperations[] = {
    {"detect", "ask the board for its version", CliWork::Detect, std::nullopt},
    {"read", "read the chip into the image", CliWork::Chip, ChipOperation::Read},
    {"verify", "compare the chip with the image up to the first difference", CliWork::Chip,
     ChipOperation::Verify},
    {"compare", "list every byte where the chip and the image differ", CliWork::Compare,
     std::nullopt},
    {"blank", "check that every byte of the chip is 0xFF", CliWork::Chip,
     ChipOperation::BlankCheck},
    {"erase", "write 0xFF into every byte of the chip", CliWork::Chip, ChipOperation::Erase},
    {"write", "write the image into the chip", CliWork::Chip, ChipOperation::Write},
    {"probe", "find the chip's size without writing to it", CliWork::Probe, std::nullopt},
    {"list", "write the image's hex listing BUFFER.TXT and print its path", CliWork::List,
     std::nullopt},
    {"ports", "show the device that each of COM1 to COM4 stands for, and why", CliWork::Ports,
     std::nullopt},
    {"sum", "print the CRC-32 and the SHA-256 of the image (the chip's size)", CliWork::Sum,
     std::nullopt},
};
// clang-format on

// The operation of a word, or nullptr.
const CliOperation* FindCliOperation(const std::string& word);

inline bool NeedsBoard(const CliOperation& operation) {
    return operation.work == CliWork::Detect || operation.work == CliWork::Chip ||
           operation.work == CliWork::Compare || operation.work == CliWork::Probe;
}

}  // namespace korvel
