#include "image/RawImage.h"

#include <algorithm>

#include "image/ImageFormat.h"

namespace korvel {

bool DecodeRaw(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& image,
               std::string& /*error: a raw file is never malformed*/) {
    const std::size_t used = std::min(file.size(), kLargestImage);
    image.assign(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(used));
    return true;
}

std::vector<std::uint8_t> EncodeRaw(const std::uint8_t* image, std::size_t size) {
    return std::vector<std::uint8_t>(image, image + size);
}

}  // namespace korvel
