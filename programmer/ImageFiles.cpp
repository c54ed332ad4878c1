#include "programmer/ImageFiles.h"

#include <algorithm>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "platform/FileDirectory.h"
#include "platform/InputFile.h"

namespace korvel {

namespace {

// A text image of the largest chip takes some 100 KB; anything much larger is no image.
constexpr std::size_t kMostTextFileBytes = 1 << 20;

LoadResult ResultOf(InputEnd end) {
    switch (end) {
        case InputEnd::Complete:
            return LoadResult::Loaded;
        case InputEnd::Silent:
            return LoadResult::Silent;
        case InputEnd::Failed:
        default:
            return LoadResult::ReadError;
    }
}

}  // namespace

LoadOutcome LoadImageFile(const std::string& path, ImageFormat format, ImageBuffer& image) {
    InputFile file;
    if (!file.Open(path)) {
        return {LoadResult::CantOpen, 0, 0, ""};
    }
    // A raw image is the file's first bytes, read one beyond the largest chip so that a larger
    // file shows; a text image is read whole, then decoded.
    const bool raw = format == ImageFormat::Raw;
    std::vector<std::uint8_t> bytes(raw ? kLargestImage + 1 : kMostTextFileBytes + 1);
    std::size_t count = 0;
    const LoadResult end = ResultOf(file.Read(bytes.data(), bytes.size(), count));
    bytes.resize(count);
    std::vector<std::uint8_t> decoded;
    std::string problem = "larger than any image";
    const bool isImage =
        count <= kMostTextFileBytes && DecodeImage(format, bytes, decoded, problem);
    // After a read error what arrived still counts, as far as it makes an image.
    if (!isImage && end == LoadResult::Loaded) {
        return {LoadResult::NotAnImage, 0, 0, problem};
    }
    if (isImage && !raw) {
        image.fill(0xFF);
    }
    std::copy(decoded.begin(), decoded.end(), image.begin());
    return {end, decoded.size(), raw ? count : decoded.size(), ""};
}

// Saving through a symbolic link replaces the file it points to and keeps the link, where the
// link may be followed at all.
SaveOutcome SaveImageFile(const std::string& path, ImageFormat format, const ImageBuffer& image,
                          std::int32_t size) {
    AtomicFileWriter out;
    std::string destination;
    std::string reason;
    if (!FollowFileLinks(path, destination, reason) || !out.Open(destination, reason)) {
        return {SaveResult::CantWrite, reason};
    }
    const std::vector<std::uint8_t> bytes =
        EncodeImage(format, image.data(), static_cast<std::size_t>(size));
    if (!out.Write(bytes.data(), bytes.size()) || !out.Commit()) {
        return {SaveResult::WriteFailed, ""};
    }
    return {SaveResult::Saved, ""};
}

SaveOutcome CheckSaveDestination(const std::string& path) {
    std::string destination;
    std::string reason;
    if (FollowFileLinks(path, destination, reason) && MayReplaceFile(destination, reason)) {
        return {SaveResult::Saved, ""};
    }
    return {SaveResult::CantWrite, reason};
}

}  // namespace korvel
