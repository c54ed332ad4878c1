#pragma once

#include <cstddef>
#include <string>

namespace korvel {

// Writes a file under a temporary name beside its destination and renames it over the
// destination only once every byte is on disk, so that a failed write never leaves a cut-off
// file in place of the old one. An old file's permissions carry over to the new one. The
// destination is taken literally: a symbolic link there is refused, never followed.
class AtomicFileWriter {
  public:
    AtomicFileWriter() = default;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    // Without a successful Commit the temporary file goes and the destination stays as it was.
    ~AtomicFileWriter();

    // False when the destination may not be replaced (an existing entry that is not a regular
    // file, or one without write permission, even for root) or nothing can be created beside it.
    bool Open(const std::string& destination);
    bool Write(const void* data, std::size_t count);
    // Flushes to disk, closes and renames over the destination; false when any of it, or any
    // Write before, failed.
    bool Commit();

    // Removes the temporary file of a write under way, if any: for a signal handler, so that a
    // program ended in the middle of a save leaves nothing behind. Async-signal-safe.
    static void RemovePendingFile();

  private:
    void Discard();

    std::string destination_;
    std::string temporary_;
    int fd_ = -1;
    bool failed_ = false;
};

}  // namespace korvel
