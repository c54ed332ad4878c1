#include "programmer/ImageFiles.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "platform/InputFile.h"

namespace korvel {

namespace {

// A text image of the largest chip takes some 100 KB; anything much larger is no image.
constexpr std::size_t kMostTextFileBytes = 1 << 20;

// Saving through a symbolic link replaces the file it points to and keeps the link.
std::string SaveDestination(const std::string& chosen) {
    char* resolved = realpath(chosen.c_str(), nullptr);
    if (resolved == nullptr) {
        return chosen;  // a new file
    }
    std::string destination = resolved;
    std::free(resolved);
    return destination;
}

}  // namespace

LoadOutcome LoadImageFile(const std::string& path, ImageFormat format, ImageBuffer& image) {
    InputFile file;
    if (!file.Open(path)) {
        return {LoadResult::CantOpen, 0, ""};
    }
    // A raw image is the file's first bytes; a text image is read whole, then decoded.
    const bool raw = format == ImageFormat::Raw;
    std::vector<std::uint8_t> bytes(raw ? kLargestImage : kMostTextFileBytes + 1);
    std::size_t count = 0;
    const bool whole = file.Read(bytes.data(), bytes.size(), count);
    bytes.resize(count);
    std::vector<std::uint8_t> decoded;
    std::string problem = "larger than any image";
    const bool isImage =
        count <= kMostTextFileBytes && DecodeImage(format, bytes, decoded, problem);
    // After a read error what arrived still counts, as far as it makes an image.
    if (!isImage && whole) {
        return {LoadResult::NotAnImage, 0, problem};
    }
    std::copy(decoded.begin(), decoded.end(), image.begin());
    return {whole ? LoadResult::Loaded : LoadResult::ReadError, decoded.size(), ""};
}

SaveResult SaveImageFile(const std::string& path, ImageFormat format, const ImageBuffer& image,
                         std::int32_t size) {
    AtomicFileWriter out;
    if (!out.Open(SaveDestination(path))) {
        return SaveResult::CantWrite;
    }
    const std::vector<std::uint8_t> bytes =
        EncodeImage(format, image.data(), static_cast<std::size_t>(size));
    if (!out.Write(bytes.data(), bytes.size()) || !out.Commit()) {
        return SaveResult::WriteFailed;
    }
    return SaveResult::Saved;
}

}  // namespace korvel
