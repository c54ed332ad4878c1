#include "tools/line/ChipFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "image/ImageFormat.h"

namespace korvel::sim {

namespace {

// A text image of the largest chip takes some 100 KB; a larger text file is no image.
constexpr std::size_t kMostTextBytes = 1 << 20;

// Reads at most `most` bytes; false with the reason on a read error.
bool ReadAtMost(int fd, std::size_t most, std::vector<std::uint8_t>& bytes, std::string& error) {
    bytes.resize(most);
    std::size_t got = 0;
    ssize_t done = 1;
    while (got < most && done != 0) {
        done = read(fd, bytes.data() + got, most - got);
        if (done > 0) {
            got += static_cast<std::size_t>(done);
        } else if (done < 0 && errno != EINTR) {
            error = std::strerror(errno);
            return false;
        }
    }
    bytes.resize(got);
    return true;
}

}  // namespace

bool LoadChipImage(const std::string& path, std::size_t size, std::vector<std::uint8_t>& chip,
                   std::string& error) {
    chip.assign(size, 0xFF);
    if (path.empty()) {
        return true;
    }
    // Never waits on a FIFO and never reads a device without end.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat entry {};
    if (fd < 0 || fstat(fd, &entry) != 0 || !S_ISREG(entry.st_mode)) {
        error = "can't use " + path +
                " as the chip's image: " + (fd < 0 ? std::strerror(errno) : "not a regular file");
        if (fd >= 0) {
            close(fd);
        }
        return false;
    }
    // As korvel-cli reads it: by its extension, a raw image no further than the chip.
    const ImageFormat format = ImageFormatOfPath(path);
    const bool raw = format == ImageFormat::Raw;
    std::vector<std::uint8_t> file;
    std::string problem;
    const bool read = ReadAtMost(fd, raw ? size : kMostTextBytes + 1, file, problem);
    close(fd);
    if (!read) {
        error = "can't read " + path + ": " + problem;
        return false;
    }
    std::vector<std::uint8_t> image;
    problem = "larger than any image";
    if (file.size() > kMostTextBytes || !DecodeImage(format, file, image, problem)) {
        error = "can't use " + path + " as the chip's image: " + problem;
        return false;
    }
    std::copy_n(image.begin(), std::min(image.size(), size), chip.begin());
    return true;
}

void WriteDump(const std::string& path, const std::vector<std::uint8_t>& chip) {
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(chip.data()), static_cast<long>(chip.size()));
    }
    std::rename(partial.c_str(), path.c_str());
}

}  // namespace korvel::sim
