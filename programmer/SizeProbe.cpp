#include "programmer/SizeProbe.h"

#include <algorithm>
#include <optional>

#include "programmer/ChipTypes.h"

namespace korvel {

namespace {

constexpr std::int32_t kBlock = 256;

// A size that could have given the bytes read, and how far the chip of that size answered.
struct Fit {
    std::int32_t size;
    std::int32_t answersUpTo;
};

bool RepeatsEvery(const std::vector<std::uint8_t>& bytes, std::int32_t size, std::int32_t end) {
    for (std::int32_t a = size; a < end; ++a) {
        if (bytes[static_cast<std::size_t>(a)] != bytes[static_cast<std::size_t>(a % size)]) {
            return false;
        }
    }
    return true;
}

// Whether the block reads as one where nothing answers.
bool Silent(const SizeEvidence& evidence, std::int32_t block) {
    if (!evidence.answered.empty()) {
        return !evidence.answered[static_cast<std::size_t>(block)];
    }
    const auto start = evidence.bytes.begin() + block * kBlock;
    return std::all_of(start, start + kBlock, [](std::uint8_t b) { return b == 0xFF; });
}

// A chip of `size` answering in the blocks below `answering`, and nowhere else. Without word
// from the board, a block of 0xFF may be erased or silent.
bool FitsAnswering(const SizeEvidence& evidence, std::int32_t size, std::int32_t answering) {
    const auto blocks = static_cast<std::int32_t>(evidence.bytes.size()) / kBlock;
    const bool told = !evidence.answered.empty();
    for (std::int32_t block = 0; block < blocks; ++block) {
        const bool silent = Silent(evidence, block);
        if ((block >= answering && !silent) || (told && block < answering && silent)) {
            return false;
        }
    }
    return RepeatsEvery(evidence.bytes, size, answering * kBlock);
}

// How a chip of `size` reads, if it could have given the bytes.
std::optional<Fit> FitOf(const SizeEvidence& evidence, std::int32_t size) {
    const auto end = static_cast<std::int32_t>(evidence.bytes.size());
    if (evidence.addressBytes == 2) {
        return RepeatsEvery(evidence.bytes, size, end) ? std::optional<Fit>({size, end})
                                                       : std::nullopt;
    }
    const std::int32_t blocks = std::max(size / kBlock, 1);
    if (size <= 16 && FitsAnswering(evidence, size, end / kBlock)) {
        return Fit{size, end};  // the 24C00 ignoring its block bits
    }
    if (FitsAnswering(evidence, size, blocks)) {
        return Fit{size, blocks * kBlock};
    }
    return std::nullopt;
}

int RowOfSize(int addressBytes, std::int32_t size) {
    for (int row = 0; row < kChipTypeCount; ++row) {
        if (kChipTypes[row].addressBytes == addressBytes && kChipTypes[row].size == size) {
            return row;
        }
    }
    return -1;
}

SizeFinding Either(const std::vector<Fit>& fits, int addressBytes) {
    SizeFinding finding;
    const Fit& smallest = fits.front();
    finding.verdict = SizeVerdict::Either;
    finding.row = RowOfSize(addressBytes, smallest.size);
    for (auto fit = fits.begin() + 1; fit != fits.end(); ++fit) {
        finding.others.push_back(RowOfSize(addressBytes, fit->size));
        finding.repeats =
            finding.repeats || std::min(fit->size, smallest.answersUpTo) > smallest.size;
        finding.erased = finding.erased || fit->size > smallest.answersUpTo;
    }
    finding.repeatsUpTo = smallest.answersUpTo;
    return finding;
}

}  // namespace

SizeFinding FindSize(const SizeEvidence& evidence) {
    const int family = evidence.addressBytes;
    std::int32_t smallestChip = 0;
    for (std::int32_t size = 1; smallestChip == 0; size *= 2) {
        smallestChip = RowOfSize(family, size) >= 0 ? size : 0;
    }
    // Sizes below the family's smallest chip stand for contents that repeat within less.
    std::vector<Fit> fits;
    for (std::int32_t size = 1; size <= static_cast<std::int32_t>(evidence.bytes.size());
         size *= 2) {
        if (size >= smallestChip && RowOfSize(family, size) < 0) {
            continue;
        }
        if (const std::optional<Fit> fit = FitOf(evidence, size)) {
            fits.push_back(*fit);
        }
    }
    SizeFinding finding;
    if (fits.empty()) {
        return finding;
    }
    if (fits.front().size < smallestChip) {
        finding.period = fits.front().size;
        return finding;
    }
    if (fits.size() == 1) {
        finding.verdict = SizeVerdict::Known;
        finding.row = RowOfSize(family, fits.front().size);
        finding.silentBeyond =
            !evidence.answered.empty() &&
            fits.front().answersUpTo < static_cast<std::int32_t>(evidence.bytes.size());
        return finding;
    }
    return Either(fits, family);
}

}  // namespace korvel
