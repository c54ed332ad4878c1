#include "tools/line/ChipFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace korvel::sim {

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
    std::size_t got = 0;
    ssize_t done = 1;
    while (got < size && done != 0) {
        done = read(fd, chip.data() + got, size - got);
        if (done > 0) {
            got += static_cast<std::size_t>(done);
        } else if (done < 0 && errno != EINTR) {
            error = "can't read " + path + ": " + std::strerror(errno);
            close(fd);
            return false;
        }
    }
    close(fd);
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
