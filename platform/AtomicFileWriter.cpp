#include "platform/AtomicFileWriter.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <initializer_list>

namespace korvel {

namespace {

// What is at the destination now, as far as a writer keeps it.
struct Found {
    bool exists = false;
    mode_t permissions = 0;
};

bool MayCreateIn(const FileDirectory& directory, std::string& reason) {
    if (faccessat(directory.Fd(), ".", W_OK | X_OK, 0) != 0) {
        reason = directory.Path() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool MayReplace(const FileDirectory& directory, Found& found, std::string& reason) {
    struct stat entry {};
    if (fstatat(directory.Fd(), directory.Name(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
        found.exists = false;
        if (errno != ENOENT) {
            reason = directory.FilePath() + ": " + std::strerror(errno);
            return false;
        }
        return MayCreateIn(directory, reason);
    }
    found.exists = true;
    found.permissions = entry.st_mode & 0777;
    if (S_ISDIR(entry.st_mode)) {
        reason = directory.FilePath() + ": " + std::strerror(EISDIR);
    } else if (S_ISLNK(entry.st_mode)) {
        reason = directory.FilePath() + ": a symbolic link, not followed";
    } else if (!S_ISREG(entry.st_mode)) {
        reason = directory.FilePath() + ": not a regular file";
    } else if ((entry.st_mode & 0222) == 0 ||
               faccessat(directory.Fd(), directory.Name(), W_OK, 0) != 0) {
        reason.clear();
    } else {
        return MayCreateIn(directory, reason);
    }
    return false;
}

// The temporary file being written, its directory and name, for a signal handler to remove. Set
// only while the name is complete, so that a handler never sees half of one.
int pendingDirectory = -1;
char pendingName[NAME_MAX + 1];
volatile std::sig_atomic_t pendingSet = 0;

void SetPending(int directory, const std::string& name) {
    pendingSet = 0;
    if (name.size() < sizeof pendingName) {
        name.copy(pendingName, name.size());
        pendingName[name.size()] = '\0';
        pendingDirectory = directory;
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

// A fresh, short name in the destination's directory (a name beside a long one would outgrow the
// file system's limit), created exclusively so that nothing planted there is ever opened; the
// mode is that of a new file, before the old file's mode is applied.
int CreateBeside(const FileDirectory& directory, std::string& temporary) {
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = ".korvel-" + std::to_string(getpid()) + "-" + std::to_string(++serial) + ".tmp";
        const TerminationHeld held;
        const int fd = openat(directory.Fd(), temporary.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            SetPending(directory.Fd(), temporary);
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

bool AtomicFileWriter::Open(const std::string& destination, std::string& reason) {
    Discard();
    failed_ = false;
    Found found;
    if (!directory_.Open(destination, reason) || !MayReplace(directory_, found, reason)) {
        return false;
    }
    fd_ = CreateBeside(directory_, temporary_);
    if (fd_ < 0) {
        reason = directory_.Path() + ": " + std::strerror(errno);
        temporary_.clear();
        return false;
    }
    if (found.exists && fchmod(fd_, found.permissions) != 0) {
        reason = directory_.FilePath() + ": " + std::strerror(errno);
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
    if (!synced || !closed ||
        renameat(directory_.Fd(), temporary_.c_str(), directory_.Fd(), directory_.Name()) != 0) {
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
        unlinkat(directory_.Fd(), temporary_.c_str(), 0);
        temporary_.clear();
    }
    pendingSet = 0;
}

void AtomicFileWriter::RemovePendingFile() {
    if (pendingSet != 0) {
        std::atomic_signal_fence(std::memory_order_seq_cst);
        unlinkat(pendingDirectory, pendingName, 0);
    }
}

bool MayReplaceFile(const std::string& destination, std::string& reason) {
    FileDirectory directory;
    Found found;
    return directory.Open(destination, reason) && MayReplace(directory, found, reason);
}

}  // namespace korvel
