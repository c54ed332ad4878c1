#pragma once

#include <string>

#include "cli/CliOptions.h"

namespace korvel {

// Whether the options go together and fit the chip: the range within it, a chip address its
// type can be wired to, the operations that --changed and a serial number need, and a batch
// that has someone to ask for the next chip, or a count. False with the reason in `error`.
bool CheckCliOptions(const CliOptions& options, bool terminalInput, std::string& error);

}  // namespace korvel
