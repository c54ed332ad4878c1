#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace korvel {

// The whole buffer listing, every line ending in CR LF: the banner, the date `when` (local
// time), the file name with the size, the device name, and one row of hex and text for each 16
// of the `size` bytes of image.
std::string BufferListingText(const std::string& fileName, const char* deviceName,
                              const std::uint8_t* image, std::int32_t size, const std::tm& when);

}  // namespace korvel
