#include "tools/line/Pty.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace korvel::sim {

Pty::~Pty() {
    if (!link_.empty()) {
        unlink(link_.c_str());
    }
    if (slave_ >= 0) {
        close(slave_);
    }
    if (master_ >= 0) {
        close(master_);
    }
}

bool Pty::Create(const std::string& link, std::string& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = std::string("pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* slaveName = ptsname(master_);
    slave_ = slaveName == nullptr ? -1 : open(slaveName, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error = std::string("pseudo-terminal slave: ") + std::strerror(errno);
        return false;
    }
    // Raw from the start, at the boards' own 9600 baud: no echo or line editing before the
    // host sets the line up.
    termios settings{};
    tcgetattr(slave_, &settings);
    cfmakeraw(&settings);
    cfsetspeed(&settings, B9600);
    tcsetattr(slave_, TCSANOW, &settings);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

    // Replace a stale link from an earlier run, but never a file that is not a link.
    struct stat existing {};
    if (lstat(link.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode)) {
        unlink(link.c_str());
    }
    if (symlink(slaveName, link.c_str()) != 0) {
        error = "link " + link + ": " + std::strerror(errno);
        return false;
    }
    link_ = link;
    return true;
}

}  // namespace korvel::sim
