#include "platform/DeviceOpeners.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace korvel {

namespace {

using Directory = std::unique_ptr<DIR, int (*)(DIR*)>;

Directory OpenDirectory(const std::string& path) {
    return {opendir(path.c_str()), closedir};
}

// The number that a name of digits stands for, or -1.
long NumberIn(const char* name) {
    char* end = nullptr;
    const long number = std::strtol(name, &end, 10);
    return end != name && *end == '\0' ? number : -1;
}

// Whether the descriptor, a link in /proc/PID/fd, is the device `device`. Only links to
// something under /dev are looked at: a look at a file on a hung network share would hang.
bool IsDevice(const std::string& link, dev_t device) {
    char target[5];
    if (readlink(link.c_str(), target, sizeof target) != sizeof target ||
        std::string(target, 5) != "/dev/") {
        return false;
    }
    struct stat opened {};
    return stat(link.c_str(), &opened) == 0 && S_ISCHR(opened.st_mode) && opened.st_rdev == device;
}

}  // namespace

Openers OtherOpeners(const std::string& path, int own) {
    struct stat wanted {};
    if (stat(path.c_str(), &wanted) != 0 || !S_ISCHR(wanted.st_mode)) {
        return Openers::Unknown;
    }
    const Directory processes = OpenDirectory("/proc");
    if (!processes) {
        return Openers::Unknown;
    }
    const long self = getpid();
    bool unknown = false;
    while (const dirent* process = readdir(processes.get())) {
        const long pid = NumberIn(process->d_name);
        if (pid < 0) {
            continue;
        }
        const std::string fdDirectory = "/proc/" + std::to_string(pid) + "/fd";
        const Directory descriptors = OpenDirectory(fdDirectory);
        if (!descriptors) {
            unknown = unknown || errno != ENOENT;  // a process that ended meanwhile had none
            continue;
        }
        while (const dirent* descriptor = readdir(descriptors.get())) {
            const long fd = NumberIn(descriptor->d_name);
            if (fd >= 0 && !(pid == self && fd == own) &&
                IsDevice(fdDirectory + "/" + descriptor->d_name, wanted.st_rdev)) {
                return Openers::Some;
            }
        }
    }
    return unknown ? Openers::Unknown : Openers::None;
}

}  // namespace korvel
