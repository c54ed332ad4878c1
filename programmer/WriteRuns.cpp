#include "programmer/WriteRuns.h"

#include <algorithm>

namespace korvel {

namespace {

// Adds the addresses from `start` to `end` to the runs, joined to the last run where they meet.
void Add(std::vector<ChipRange>& runs, std::int32_t start, std::int32_t end) {
    if (!runs.empty() && runs.back().start + runs.back().length >= start) {
        ChipRange& last = runs.back();
        last.length = std::max(last.length, end - last.start);
        return;
    }
    runs.push_back({start, end - start});
}

}  // namespace

std::vector<ChipRange> ByteRuns(const std::vector<std::int32_t>& addresses) {
    std::vector<ChipRange> runs;
    for (const std::int32_t address : addresses) {
        Add(runs, address, address + 1);
    }
    return runs;
}

std::vector<ChipRange> PageRuns(const std::vector<std::int32_t>& addresses, int pageSize,
                                const ChipRange& range) {
    std::vector<ChipRange> runs;
    for (const std::int32_t address : addresses) {
        const std::int32_t page = address - address % pageSize;
        Add(runs, std::max(page, range.start),
            std::min(page + pageSize, range.start + range.length));
    }
    return runs;
}

std::int32_t PagesIn(const std::vector<ChipRange>& runs, int pageSize) {
    std::int32_t pages = 0;
    for (const ChipRange& run : runs) {
        const std::int32_t last = run.start + run.length - 1;
        pages += last / pageSize - run.start / pageSize + 1;
    }
    return pages;
}

}  // namespace korvel
