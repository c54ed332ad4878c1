#include "image/ImageFormat.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "image/AsciiCase.h"
#include "image/IntelHex.h"
#include "image/RawImage.h"
#include "image/SRecord.h"

namespace korvel {
namespace {

using DecodeFn = bool (*)(const std::vector<std::uint8_t>&, std::vector<std::uint8_t>&,
                          std::string&);
using EncodeFn = std::vector<std::uint8_t> (*)(const std::uint8_t*, std::size_t);

// One format: its name, the file name extensions that choose it, and its pair of functions.
struct ImageCodec {
    ImageFormat format;
    const char* name;
    std::array<const char*, 3> extensions;
    DecodeFn decode;
    EncodeFn encode;
};

const ImageCodec kCodecs[] = {
    {ImageFormat::Raw, "raw", {}, DecodeRaw, EncodeRaw},
    {ImageFormat::IntelHex, "ihex", {".hex", ".ihex", ".eep"}, DecodeIntelHex, EncodeIntelHex},
    {ImageFormat::SRecord, "srec", {".srec", ".s19", ".mot"}, DecodeSRecord, EncodeSRecord},
};

const ImageCodec& CodecOf(ImageFormat format) {
    return *std::find_if(std::begin(kCodecs), std::end(kCodecs),
                         [format](const ImageCodec& codec) { return codec.format == format; });
}

}  // namespace

bool DecodeImage(ImageFormat format, const std::vector<std::uint8_t>& file,
                 std::vector<std::uint8_t>& image, std::string& error) {
    return CodecOf(format).decode(file, image, error);
}

std::vector<std::uint8_t> EncodeImage(ImageFormat format, const std::uint8_t* image,
                                      std::size_t size) {
    return CodecOf(format).encode(image, size);
}

bool ImageFormatByName(const std::string& name, ImageFormat& format) {
    const std::string wanted = LowerCaseAscii(name);
    for (const ImageCodec& codec : kCodecs) {
        if (wanted == codec.name) {
            format = codec.format;
            return true;
        }
    }
    return false;
}

ImageFormat ImageFormatOfPath(const std::string& path) {
    const std::string extension = LowerCaseAscii(std::filesystem::path(path).extension().string());
    for (const ImageCodec& codec : kCodecs) {
        for (const char* known : codec.extensions) {
            if (known != nullptr && extension == known) {
                return codec.format;
            }
        }
    }
    return ImageFormat::Raw;
}

}  // namespace korvel
