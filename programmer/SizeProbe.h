#pragma once

#include <cstdint>
#include <vector>

namespace korvel {

// What a chip showed when read as the largest of its addressing family (one address byte: the
// 24C00 to 24C16, 2048 bytes through eight device addresses; two: the 24C32 to 24C256, 32 768
// bytes).
struct SizeEvidence {
    int addressBytes;
    std::vector<std::uint8_t> bytes;  // as read, the family's largest size
    std::vector<bool> answered;  // for each 256-byte block, whether a chip answered there; empty
                                 // where the board cannot tell
};

enum class SizeVerdict {
    Known,    // one chip type alone reads so
    Either,   // the smallest that reads so, or larger ones whose other bytes read the same
    Unknown,  // the contents cannot tell
};

struct SizeFinding {
    SizeVerdict verdict = SizeVerdict::Unknown;
    int row = -1;                  // Known, Either: the chip type's catalogue row
    std::vector<int> others;       // Either: the larger types that read so as well
    bool repeats = false;          // Either: they hold the same bytes again
    bool erased = false;           // Either: they hold 0xFF beyond the repeats
    std::int32_t repeatsUpTo = 0;  // Either: where the repeats end, when they are erased beyond
    bool silentBeyond = false;     // Known: the board said that nothing answers beyond it
    std::int32_t period = 0;       // Unknown: the bytes repeat every so many; 0 when no chip of the
                                   // family answers so
};

// A chip of size S answers address a + S as a, since its address counter wraps; where a chip
// with one address byte has no block, nothing answers (the five commands read 0xFF, the fast
// link knows). The sizes that could have given what was read say what is known: one, or the
// smallest and larger ones, or nothing when the bytes repeat within less than the family's
// smallest chip (a uniform chip). The 24C00 may ignore its device address's block bits and
// answer in every block.
SizeFinding FindSize(const SizeEvidence& evidence);

}  // namespace korvel
