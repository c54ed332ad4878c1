#pragma once

#include <cstddef>
#include <string>

#include "platform/FileDirectory.h"

namespace korvel {

// Writes a file under a temporary name beside its destination and renames it over the
// destination only once every byte is on disk, so that a failed write never leaves a cut-off
// file in place of the old one. An old file's permission bits carry over to the new one, never
// its set-user-ID, set-group-ID or sticky bit: the new file belongs to the caller. The
// destination's directory is reached as FileDirectory reaches it; the destination itself is
// taken literally: a symbolic link there is refused, never followed.
class AtomicFileWriter {
  public:
    AtomicFileWriter() = default;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    // Without a successful Commit the temporary file goes and the destination stays as it was.
    ~AtomicFileWriter();

    // False, with the reason, when the destination may not be replaced or nothing can be
    // created beside it (see MayReplaceFile).
    bool Open(const std::string& destination, std::string& reason);
    bool Write(const void* data, std::size_t count);
    // Flushes to disk, closes and renames over the destination; false when any of it, or any
    // Write before, failed.
    bool Commit();

    // Removes the temporary file of a write under way, if any: for a signal handler, so that a
    // program ended in the middle of a save leaves nothing behind. Async-signal-safe.
    static void RemovePendingFile();

  private:
    void Discard();

    FileDirectory directory_;
    std::string temporary_;  // the temporary file's name in the directory
    int fd_ = -1;
    bool failed_ = false;
};

// Whether AtomicFileWriter could replace or create `destination`, asked without creating
// anything: not when its directory cannot be reached or written, nor when an entry there is not
// a regular file, nor a file without write permission (even for root, who passes every
// permission check: the user made it read only on purpose). False with the reason, which is
// empty for that last case alone: the file is simply read only.
bool MayReplaceFile(const std::string& destination, std::string& reason);

}  // namespace korvel
