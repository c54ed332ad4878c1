#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/ImageFormat.h"
#include "programmer/ChipTypes.h"

namespace korvel {

enum class LoadResult {
    Loaded,
    CantOpen,    // the file is not there, or may not be read
    ReadError,   // reading stopped part-way; what came before it is loaded
    NotAnImage,  // the file is no image of its format; nothing is loaded
};

struct LoadOutcome {
    LoadResult result = LoadResult::CantOpen;
    std::size_t loaded = 0;  // bytes that went into the image
    std::string problem;     // NotAnImage: where the file is wrong, e.g. "line 7: bad checksum"
};

enum class SaveResult {
    Saved,
    CantWrite,    // the file may not be replaced, or nothing can be created beside it
    WriteFailed,  // writing failed part-way (disk full, I/O error); the old file stays
};

// Loads an image file into the image from address 0. The file is named as chosen: on a
// case-sensitive file system its lower-cased name may be another file.
LoadOutcome LoadImageFile(const std::string& path, ImageFormat format, ImageBuffer& image);

// Saves the image's first `size` bytes, replacing the file only once all of it is on disk.
SaveResult SaveImageFile(const std::string& path, ImageFormat format, const ImageBuffer& image,
                         std::int32_t size);

}  // namespace korvel
