#include "platform/InputFile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace korvel {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

InputFile::~InputFile() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool InputFile::Open(const std::string& path) {
    // O_NONBLOCK: opening a FIFO nobody writes to would wait for a writer.
    fd_ = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat entry {};
    waits_ = fd_ >= 0 && fstat(fd_, &entry) == 0 && !S_ISREG(entry.st_mode) &&
             !S_ISBLK(entry.st_mode) && !S_ISDIR(entry.st_mode);
    return fd_ >= 0;
}

InputEnd InputFile::Read(std::uint8_t* data, std::size_t count, std::size_t& got) {
    got = 0;
    while (got < count) {
        // A FIFO whose writer has not come yet reads as its end: only poll tells them apart.
        int error = 0;
        if (waits_ && !AwaitInput(error)) {
            return error == 0 ? InputEnd::Silent : InputEnd::Failed;
        }
        const ssize_t done = read(fd_, data + got, count - got);
        if (done > 0) {
            got += static_cast<std::size_t>(done);
        } else if (done == 0) {
            return InputEnd::Complete;
        } else if (errno != EINTR && errno != EAGAIN) {
            return InputEnd::Failed;
        }
    }
    return InputEnd::Complete;
}

bool InputFile::AwaitInput(int& error) {
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(kInputPatienceSeconds);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd input{fd_, POLLIN, 0};
        const int ready = poll(&input, 1, static_cast<int>(left > 0 ? left : 0));
        if (ready > 0) {
            return true;  // bytes, the writer's end, or an error that read will tell
        }
        if (ready == 0 || errno != EINTR) {
            error = ready == 0 ? 0 : errno;
            return false;
        }
    }
}

bool ExistsForReading(const std::string& path) {
    // Asked, not tried: opening a FIFO could wait, and opening a serial device switches its
    // modem lines.
    return access(path.c_str(), R_OK) == 0;
}

}  // namespace korvel
