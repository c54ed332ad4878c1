#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// The most bytes an image file may give: the size of the largest chip, the 24C256.
constexpr std::size_t kLargestImage = 32768;

// How an image is laid out in a file.
enum class ImageFormat { Raw, IntelHex, SRecord };

// Turns a file's bytes into an image (address 0 first). On a malformed file it returns false,
// sets `error` to a text naming the line, e.g. "line 7: bad checksum", and leaves `image` as it
// was.
bool DecodeImage(ImageFormat format, const std::vector<std::uint8_t>& file,
                 std::vector<std::uint8_t>& image, std::string& error);

// The file holding image bytes 0 to size - 1; size is at most kLargestImage.
std::vector<std::uint8_t> EncodeImage(ImageFormat format, const std::uint8_t* image,
                                      std::size_t size);

// The format called `name` ("raw", "ihex" or "srec", in any letter case); false for any other.
bool ImageFormatByName(const std::string& name, ImageFormat& format);

// The format a file name's extension stands for, in any letter case: .hex, .ihex and .eep are
// Intel HEX, .srec, .s19 and .mot S-records, anything else raw.
ImageFormat ImageFormatOfPath(const std::string& path);

}  // namespace korvel
