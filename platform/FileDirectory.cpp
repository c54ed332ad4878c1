#include "platform/FileDirectory.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

namespace korvel {

namespace {

// As many links as the kernel follows for one path.
constexpr int kMostLinks = 40;
constexpr const char* kRefusedLink =
    "another user's symbolic link in a shared directory, not followed";

std::string Joined(const std::string& directory, const std::string& name) {
    if (directory.empty()) {
        return name;
    }
    return directory + (directory.back() == '/' ? "" : "/") + name;
}

// The path one level up, written out: ".." stays a component while the path is relative and
// already above where it started.
std::string Parent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (path == "/") {
        return path;
    }
    if (path.empty() || last == "..") {
        return Joined(path, "..");
    }
    return slash == std::string::npos ? "" : path.substr(0, slash == 0 ? 1 : slash);
}

std::string Failure(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

// The components of a path, last first, so that the next one is taken from the back.
std::vector<std::string> ComponentsLastFirst(const std::string& path) {
    std::vector<std::string> components;
    for (std::size_t start = 0; start < path.size();) {
        const std::size_t stop = std::min(path.find('/', start), path.size());
        if (stop > start) {
            components.push_back(path.substr(start, stop - start));
        }
        start = stop + 1;
    }
    std::reverse(components.begin(), components.end());
    return components;
}

// Where the link `name` in the directory `directory` points, if it may be followed; `entry` is
// the link's own status and `shown` its path for messages.
bool LinkTarget(int directory, const char* name, const struct stat& entry, const std::string& shown,
                std::string& target, std::string& reason) {
    struct stat holder {};
    if (fstat(directory, &holder) != 0) {
        reason = Failure(shown, errno);
        return false;
    }
    if (!MayFollowLink(entry, holder)) {
        reason = shown + ": " + kRefusedLink;
        return false;
    }
    std::vector<char> text(PATH_MAX);
    const ssize_t length = readlinkat(directory, name, text.data(), text.size());
    if (length <= 0 || static_cast<std::size_t>(length) == text.size()) {
        reason = Failure(shown, length < 0 ? errno : ENOENT);
        return false;
    }
    target.assign(text.data(), static_cast<std::size_t>(length));
    return true;
}

}  // namespace

bool MayFollowLink(const struct stat& link, const struct stat& directory) {
    const bool shared = (directory.st_mode & S_ISVTX) != 0 && (directory.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == geteuid() || link.st_uid == directory.st_uid;
}

FileDirectory::~FileDirectory() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

std::string FileDirectory::FilePath() const {
    return Joined(path_, name_);
}

bool FileDirectory::Open(const std::string& path, std::string& reason) {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    std::vector<std::string> todo = ComponentsLastFirst(path);
    if (todo.empty() || path.back() == '/' || todo.front() == "." || todo.front() == "..") {
        reason = Failure(path, EISDIR);
        return false;
    }
    name_ = todo.front();
    todo.erase(todo.begin());
    links_ = 0;
    path_ = path[0] == '/' ? "/" : "";
    fd_ = open(path_.empty() ? "." : "/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        reason = Failure(Path(), errno);
        return false;
    }
    while (!todo.empty()) {
        const std::string component = todo.back();
        todo.pop_back();
        if (!Enter(component, todo, reason)) {
            return false;
        }
    }
    return true;
}

// Steps into one directory of the path; a link there puts its target's components in its place.
bool FileDirectory::Enter(const std::string& component, std::vector<std::string>& todo,
                          std::string& reason) {
    if (component == ".") {
        return true;
    }
    const std::string at = Joined(path_, component);
    struct stat entry {};
    if (fstatat(fd_, component.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
        reason = Failure(at, errno);
        return false;
    }
    if (S_ISLNK(entry.st_mode)) {
        std::string target;
        if (++links_ > kMostLinks) {
            reason = Failure(at, ELOOP);
            return false;
        }
        if (!LinkTarget(fd_, component.c_str(), entry, at, target, reason)) {
            return false;
        }
        const std::vector<std::string> more = ComponentsLastFirst(target);
        todo.insert(todo.end(), more.begin(), more.end());
        return target[0] != '/' || MoveTo(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC), "/", reason);
    }
    if (!S_ISDIR(entry.st_mode)) {
        reason = Failure(at, ENOTDIR);
        return false;
    }
    // O_NOFOLLOW: a link put in the directory's place since the check is not entered.
    const int next = openat(fd_, component.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return MoveTo(next, component == ".." ? Parent(path_) : at, reason);
}

bool FileDirectory::MoveTo(int next, const std::string& path, std::string& reason) {
    if (next < 0) {
        reason = Failure(path, errno);
        return false;
    }
    close(fd_);
    fd_ = next;
    path_ = path;
    return true;
}

bool FollowFileLinks(const std::string& chosen, std::string& target, std::string& reason) {
    std::string path = chosen;
    for (int links = 0;; ++links) {
        FileDirectory directory;
        if (!directory.Open(path, reason)) {
            return false;
        }
        struct stat entry {};
        if (fstatat(directory.Fd(), directory.Name(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
            if (links > 0 && errno == ENOENT) {
                reason = chosen + ": a symbolic link to " + directory.FilePath() +
                         ", which does not exist";
                return false;
            }
            target = path;  // a new file, or one the writer will say more about
            return true;
        }
        if (!S_ISLNK(entry.st_mode)) {
            target = path;
            return true;
        }
        std::string to;
        if (links == kMostLinks) {
            reason = Failure(chosen, ELOOP);
            return false;
        }
        if (!LinkTarget(directory.Fd(), directory.Name(), entry, directory.FilePath(), to,
                        reason)) {
            return false;
        }
        path = to[0] == '/' ? to : Joined(directory.Path(), to);
    }
}

}  // namespace korvel
