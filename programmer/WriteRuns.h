#pragma once

#include <cstdint>
#include <vector>

#include "programmer/ChipOperation.h"

namespace korvel {

// The runs of addresses a write of changed bytes covers, from the changed addresses (ascending).

// Each changed byte alone, neighbours joined into one run.
std::vector<ChipRange> ByteRuns(const std::vector<std::int32_t>& addresses);

// The pages of `pageSize` bytes that hold a changed byte, as far as they lie within `range`,
// neighbouring pages joined into one run.
std::vector<ChipRange> PageRuns(const std::vector<std::int32_t>& addresses, int pageSize,
                                const ChipRange& range);

// How many pages of `pageSize` bytes the runs touch.
std::int32_t PagesIn(const std::vector<ChipRange>& runs, int pageSize);

}  // namespace korvel
