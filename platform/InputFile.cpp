#include "platform/InputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace korvel {

InputFile::~InputFile() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool InputFile::Open(const std::string& path) {
    fd_ = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    return fd_ >= 0;
}

bool InputFile::Read(std::uint8_t* data, std::size_t count, std::size_t& got) {
    got = 0;
    while (got < count) {
        const ssize_t done = read(fd_, data + got, count - got);
        if (done > 0) {
            got += static_cast<std::size_t>(done);
        } else if (done == 0 || errno == EAGAIN) {
            return true;  // the end, or all that a FIFO or terminal has for now
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool ExistsForReading(const std::string& path) {
    // Asked, not tried: opening a FIFO could wait, and opening a serial device switches its
    // modem lines.
    return access(path.c_str(), R_OK) == 0;
}

}  // namespace korvel
