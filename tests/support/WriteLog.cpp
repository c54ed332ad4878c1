// Loaded into a program with LD_PRELOAD: every write() to a terminal is also written, as one line
// of hex bytes, to the file that KORVEL_WRITE_LOG names. A test sees from it how the program cuts
// what it sends to the board into writes; the program runs unchanged.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using WriteCall = ssize_t (*)(int, const void*, size_t);

WriteCall RealWrite() {
    static const auto real = reinterpret_cast<WriteCall>(dlsym(RTLD_NEXT, "write"));
    return real;
}

void Log(const char* path, const void* data, size_t count) {
    std::string line;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < count; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", bytes[i]);
        line += hex;
    }
    line += '\n';
    const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        RealWrite()(fd, line.data(), line.size());
        close(fd);
    }
}

}  // namespace

extern "C" ssize_t write(int fd, const void* data, size_t count) {
    const int saved = errno;
    const char* path = std::getenv("KORVEL_WRITE_LOG");
    if (path != nullptr && isatty(fd) == 1) {
        Log(path, data, count);
    }
    errno = saved;
    return RealWrite()(fd, data, count);
}
