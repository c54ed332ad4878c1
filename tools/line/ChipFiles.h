#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvel::sim {

// Reads the chip's contents at start from a regular file only, in the format its extension names
// as korvel-cli has it (ImageFormatOfPath): raw, Intel HEX or S-records. The chip takes the
// image's first `size` bytes; the rest of it, and the gaps of a text image, stay erased. False
// with the reason when the file cannot be used.
bool LoadChipImage(const std::string& path, std::size_t size, std::vector<std::uint8_t>& chip,
                   std::string& error);

// Writes the chip's contents beside the target and renames them over it, so that a reader
// never sees half a dump.
void WriteDump(const std::string& path, const std::vector<std::uint8_t>& chip);

}  // namespace korvel::sim
