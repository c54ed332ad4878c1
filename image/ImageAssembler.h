#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// An image put together from the data records of a file, in any order, each address once.
class ImageAssembler {
  public:
    // Puts `size` bytes from `address` on. False, with `problem` set, when a byte would go at
    // kLargestImage or above, or where an earlier record already put one.
    bool Place(std::uint64_t address, const std::uint8_t* data, std::size_t size,
               std::string& problem);

    // Addresses 0 to the highest placed, with 0xFF (an erased chip byte) wherever no record
    // put one.
    const std::vector<std::uint8_t>& Image() const { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::vector<bool> placed_;
};

}  // namespace korvel
