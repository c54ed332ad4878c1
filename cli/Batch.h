#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"

namespace korvel {

// A batch of chips on a bench: the operations for one chip after the other, each next chip
// asked for (or taken at once with --yes), a serial number written into each, raised after each
// chip that went through, and a count at the end.
class Batch {
  public:
    // Runs the operations for one chip, with the serial number's bytes to put into the image
    // first (none without one); true when they all succeeded.
    using ChipRun = std::function<bool(const std::vector<std::uint8_t>& serial)>;
    // Prints a line; asks whether to go on with the next chip.
    using Say = std::function<void(const std::string& line)>;
    using Ask = std::function<bool()>;

    Batch(const CliBatch& batch, ChipRun chip) : batch_(batch), chip_(std::move(chip)) {}

    // True when every chip went through and the batch ended as asked: at its count, or when the
    // user stopped it, not for want of serial numbers.
    bool Run(const Say& say, const Ask& ask);

  private:
    const CliBatch& batch_;
    ChipRun chip_;
};

// Asks on standard error for the next chip and reads the answer from standard input: Enter goes
// on; q, or the end of the input, stops.
bool AskForNextChip();

// The serial number as `count` bytes, big-endian.
std::vector<std::uint8_t> BigEndian(std::uint64_t number, int count);

}  // namespace korvel
