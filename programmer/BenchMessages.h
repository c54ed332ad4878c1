#pragma once

#include <cstdint>
#include <string>

#include "programmer/Messages.h"
#include "programmer/Programmer.h"

namespace korvel {

// The words of the bench's operations: a comparison, a write of the changed bytes, a size probe.

// One difference, "01A0: chip FF, image 3C": the address in four hex digits.
std::string DifferenceLine(const Difference& difference);
// After the differences: "3 bytes differ", "1 byte differs" or "chip and image are equal".
std::string DifferenceCount(std::size_t count);

// What a write of the changed bytes says when it went through: "Write: 3 bytes differed, 3
// written", or with pages "Write: 3 bytes differed, 16 written in 2 pages".
Message ChangedWriteMessage(const ChangedWriteOutcome& outcome);

// What a size probe found, titled "Size": "24C08 (1024 bytes)", the smallest type and the larger
// ones that would read the same, or "unknown" and why.
Message SizeMessage(const SizeFinding& finding);

}  // namespace korvel
