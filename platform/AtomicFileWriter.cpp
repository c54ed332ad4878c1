#include "platform/AtomicFileWriter.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <initializer_list>

namespace korvel {

namespace {

// Root passes every permission check, so a file that grants nobody write access counts as read
// only for everyone: the user made it so on purpose.
bool MayReplace(const std::string& path, mode_t& keptMode, bool& exists) {
    struct stat entry {};
    if (lstat(path.c_str(), &entry) != 0) {
        exists = false;
        return errno == ENOENT;
    }
    exists = true;
    keptMode = entry.st_mode & 07777;
    return S_ISREG(entry.st_mode) && (entry.st_mode & 0222) != 0 && access(path.c_str(), W_OK) == 0;
}

// The temporary file being written, for a signal handler to remove. Set only while the path is
// complete, so that a handler never sees half of one.
char pendingPath[PATH_MAX];
volatile std::sig_atomic_t pendingSet = 0;

void SetPending(const std::string& path) {
    pendingSet = 0;
    if (path.size() < sizeof pendingPath) {
        path.copy(pendingPath, path.size());
        pendingPath[path.size()] = '\0';
        std::atomic_signal_fence(std::memory_order_seq_cst);
        pendingSet = 1;
    }
}

// Holds the termination signals back while it lives, so that a handler finds every temporary
// file created, never one that is not yet named for it.
class TerminationHeld {
  public:
    TerminationHeld() {
        sigset_t termination{};
        sigemptyset(&termination);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&termination, signal);
        }
        pthread_sigmask(SIG_BLOCK, &termination, &before_);
    }
    ~TerminationHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    TerminationHeld(const TerminationHeld&) = delete;
    TerminationHeld& operator=(const TerminationHeld&) = delete;

  private:
    sigset_t before_{};
};

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

// A fresh, short name in the destination's directory (a name beside a long one would outgrow the
// file system's limit), created exclusively so that nothing planted there is ever opened; the
// mode is that of a new file, before the old file's mode is applied.
int CreateBeside(const std::string& destination, std::string& temporary) {
    static unsigned serial = 0;
    const std::string directory = DirectoryOf(destination);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = directory + "/.korvel-" + std::to_string(getpid()) + "-" +
                    std::to_string(++serial) + ".tmp";
        const TerminationHeld held;
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            SetPending(temporary);
        }
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

bool AtomicFileWriter::Open(const std::string& destination) {
    Discard();
    failed_ = false;
    mode_t keptMode = 0;
    bool exists = false;
    if (!MayReplace(destination, keptMode, exists)) {
        return false;
    }
    fd_ = CreateBeside(destination, temporary_);
    if (fd_ < 0) {
        temporary_.clear();
        return false;
    }
    destination_ = destination;
    if (exists && fchmod(fd_, keptMode) != 0) {
        Discard();
        return false;
    }
    return true;
}

bool AtomicFileWriter::Write(const void* data, std::size_t count) {
    const char* next = static_cast<const char*>(data);
    while (!failed_ && count > 0) {
        const ssize_t written = fd_ >= 0 ? write(fd_, next, count) : -1;
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            failed_ = true;
            break;
        }
        next += written;
        count -= static_cast<std::size_t>(written);
    }
    return !failed_;
}

bool AtomicFileWriter::Commit() {
    if (fd_ < 0 || failed_) {
        Discard();
        return false;
    }
    // A full disk or an I/O error may show only when the data reaches the disk, or at close.
    const bool synced = fsync(fd_) == 0;
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed || rename(temporary_.c_str(), destination_.c_str()) != 0) {
        Discard();
        return false;
    }
    temporary_.clear();
    pendingSet = 0;
    return true;
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
        temporary_.clear();
    }
    pendingSet = 0;
}

void AtomicFileWriter::RemovePendingFile() {
    if (pendingSet != 0) {
        std::atomic_signal_fence(std::memory_order_seq_cst);
        unlink(pendingPath);
    }
}

}  // namespace korvel
