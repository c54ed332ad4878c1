#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvel {

// How long a pipe, FIFO or terminal may stay silent before a read gives up on it.
constexpr int kInputPatienceSeconds = 10;

// How a read ended.
enum class InputEnd {
    Complete,  // the end of the file, or as many bytes as asked for
    Failed,    // a read error
    Silent,    // a pipe, FIFO or terminal sent nothing for kInputPatienceSeconds
};

// A file opened for reading that never makes the program wait without end: a pipe, a FIFO or a
// terminal is read until its writer closes it, but a FIFO nobody writes to, or a writer that
// falls silent, is given up after kInputPatienceSeconds. "No data yet" is never the end.
class InputFile {
  public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    bool Open(const std::string& path);
    // Reads up to `count` bytes into `data`, stopping early at the end of the file; `got` counts
    // what arrived, kept whatever the end.
    InputEnd Read(std::uint8_t* data, std::size_t count, std::size_t& got);

  private:
    // Waits until the file has something to give; false when it stayed silent too long.
    bool AwaitInput(int& error);

    int fd_ = -1;
    bool waits_ = false;  // a pipe, FIFO, terminal or other device: its writer may still come
};

// Whether a file is there and may be read: what Save asks about before it replaces anything.
// A device or a FIFO is never opened for the question.
bool ExistsForReading(const std::string& path);

}  // namespace korvel
