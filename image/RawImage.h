#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// A raw image file is the image's bytes and nothing else; only the first kLargestImage count.
bool DecodeRaw(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& image,
               std::string& error);
std::vector<std::uint8_t> EncodeRaw(const std::uint8_t* image, std::size_t size);

}  // namespace korvel
