#include "tools/line/Pty.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/DeviceOpeners.h"

namespace korvel::sim {

namespace {

constexpr struct {
    speed_t code;
    int baud;
} kRates[] = {
    {B1200, 1200},       {B2400, 2400},       {B4800, 4800},     {B9600, 9600},
    {B19200, 19200},     {B38400, 38400},     {B57600, 57600},   {B115200, 115200},
    {B230400, 230400},   {B460800, 460800},   {B500000, 500000}, {B921600, 921600},
    {B1000000, 1000000}, {B2000000, 2000000},
};

}  // namespace

Pty::~Pty() {
    if (!link_.empty()) {
        unlink(link_.c_str());
    }
    if (watch_ >= 0) {
        close(watch_);
    }
    if (slave_ >= 0) {
        close(slave_);
    }
    if (master_ >= 0) {
        close(master_);
    }
}

int Pty::SlaveBaud() const {
    // On Linux the master's settings are the slave's.
    termios settings{};
    if (tcgetattr(master_, &settings) != 0) {
        return 0;
    }
    const speed_t code = cfgetospeed(&settings);
    for (const auto& rate : kRates) {
        if (rate.code == code) {
            return rate.baud;
        }
    }
    return 0;
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

    // Every last close of the slave by a host.
    slaveName_ = slaveName;
    watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ < 0 || inotify_add_watch(watch_, slaveName, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        error = std::string("watching the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }

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

// A simulator run by an ordinary user sees the descriptors of its own user's programs only; the
// others' cannot have opened its line (but root's, which then keep each other off by their
// advisory lock, if they are copies of Korvel).
void Pty::TakeLineEvents() {
    alignas(inotify_event) char events[4096];
    bool closed = false;
    while (read(watch_, events, sizeof events) > 0) {
        closed = true;
    }
    int exclusive = 0;
    if (closed && ioctl(slave_, TIOCGEXCL, &exclusive) == 0 && exclusive != 0 &&
        OtherOpeners(slaveName_, slave_) != Openers::Some) {
        ioctl(slave_, TIOCNXCL);
    }
}

}  // namespace korvel::sim
