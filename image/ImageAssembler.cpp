#include "image/ImageAssembler.h"

#include "image/ImageFormat.h"

namespace korvel {

bool ImageAssembler::Place(std::uint64_t address, const std::uint8_t* data, std::size_t size,
                           std::string& problem) {
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint64_t at = address + i;
        if (at >= kLargestImage) {
            problem = "data beyond " + std::to_string(kLargestImage) + " bytes";
            return false;
        }
        if (at >= bytes_.size()) {
            bytes_.resize(at + 1, 0xFF);
            placed_.resize(at + 1, false);
        }
        if (placed_[at]) {
            problem = "overlaps an earlier record";
            return false;
        }
        bytes_[at] = data[i];
        placed_[at] = true;
    }
    return true;
}

}  // namespace korvel
