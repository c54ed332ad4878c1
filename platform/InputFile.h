#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvel {

// A file opened for reading that never makes the program wait: a FIFO nobody writes to, a
// socket or a terminal gives what is there at once, like a file that ends there.
class InputFile {
  public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    bool Open(const std::string& path);
    // Reads up to `count` bytes into `data`, stopping early at the end of the file or where
    // nothing more is waiting; `got` counts what arrived. False on a read error, with the bytes
    // before it kept.
    bool Read(std::uint8_t* data, std::size_t count, std::size_t& got);

  private:
    int fd_ = -1;
};

// Whether a file is there and may be read: what Save asks about before it replaces anything.
// A device or a FIFO is never opened for the question.
bool ExistsForReading(const std::string& path);

}  // namespace korvel
