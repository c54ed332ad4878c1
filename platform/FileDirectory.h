#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

namespace korvel {

// Whether a symbolic link may be followed, as Linux decides it with fs.protected_symlinks on:
// anywhere but in a sticky directory that everyone may write to (such as /tmp), and there only
// when the link belongs to the caller or to the directory's owner. Korvel keeps to it whether the
// machine has it on or not, for it may run as root beside other users.
bool MayFollowLink(const struct stat& link, const struct stat& directory);

// The directory that holds a file, reached through the symbolic links on the way only where
// MayFollowLink allows it, and held open: whatever is renamed or planted on the way afterwards,
// the file is made in the directory that was checked. The file's own name is taken literally.
class FileDirectory {
  public:
    FileDirectory() = default;
    FileDirectory(const FileDirectory&) = delete;
    FileDirectory& operator=(const FileDirectory&) = delete;
    ~FileDirectory();

    // False, with the reason ("/a/b: No such file or directory"), when the directory cannot be
    // reached or the path names a directory rather than a file in one.
    bool Open(const std::string& path, std::string& reason);

    // For the *at calls on the file.
    int Fd() const { return fd_; }
    const char* Name() const { return name_.c_str(); }
    // The directory's path as walked, its links resolved, and the file's, for messages.
    std::string Path() const { return path_.empty() ? "." : path_; }
    std::string FilePath() const;

  private:
    bool Enter(const std::string& component, std::vector<std::string>& todo, std::string& reason);
    bool MoveTo(int next, const std::string& path, std::string& reason);

    int fd_ = -1;
    std::string path_;
    std::string name_;
    int links_ = 0;
};

// The file a save to `chosen` writes: symbolic links at the end of the path followed, as
// MayFollowLink allows, to the file they end in. False, with the reason, when a link may not be
// followed, ends in no file, or the links go round.
bool FollowFileLinks(const std::string& chosen, std::string& target, std::string& reason);

}  // namespace korvel
