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
    Silent,      // a pipe or FIFO sent nothing for a long while; what came before it is loaded
    NotAnImage,  // the file is no image of its format; nothing is loaded
};

struct LoadOutcome {
    LoadResult result = LoadResult::CantOpen;
    std::size_t loaded = 0;  // bytes that went into the image
    std::size_t held = 0;    // bytes of image the file holds, more than loaded when it is larger
    std::string problem;     // NotAnImage: where the file is wrong, e.g. "line 7: bad checksum"
};

enum class SaveResult {
    Saved,
    CantWrite,    // the file may not be replaced, or nothing can be created beside it
    WriteFailed,  // writing failed part-way (disk full, I/O error); the old file stays
};

struct SaveOutcome {
    SaveResult result = SaveResult::Saved;
    std::string reason;  // CantWrite: why, where more than "read only" is to be said
};

// Loads an image file into the image from address 0; the rest of the image stays as it was for a
// raw file and is erased (0xFF) for a file of records, whose gaps an erased chip holds. The file
// is named as chosen: on a case-sensitive file system its lower-cased name may be another file.
LoadOutcome LoadImageFile(const std::string& path, ImageFormat format, ImageBuffer& image);

// Saves the image's first `size` bytes, replacing the file only once all of it is on disk.
// Symbolic links on the way are followed only where the kernel's protection of shared
// directories would follow them.
SaveOutcome SaveImageFile(const std::string& path, ImageFormat format, const ImageBuffer& image,
                          std::int32_t size);

// Whether a save to `path` could replace what is there, asked before work whose result is to be
// saved; writes nothing.
SaveOutcome CheckSaveDestination(const std::string& path);

}  // namespace korvel
