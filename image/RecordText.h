#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/ImageAssembler.h"

namespace korvel {

// What Intel HEX and S-record files share: lines of hex records, each with a checksum, and an
// end record.

// The image bytes in each data record that Korvel writes; the last record takes what is left.
constexpr std::size_t kDataRecordLength = 16;

// Reads one record line (never blank, its line end taken off) into `image`, and sets `end` on
// the end record. `carried` is what the format keeps from one record to the next, 0 at the
// start of the file. False, with `problem` set, when the record is malformed.
using RecordReader = bool (*)(const std::string& line, std::uint64_t& carried,
                              ImageAssembler& image, bool& end, std::string& problem);

// Whether a file must have its end record: an S-record file often has none.
enum class EndRecord { Required, Optional };

// Hands each line of `file` to `read`. Lines end in "\n", "\r\n" or "\r"; a UTF-8 byte-order
// mark at the start, blank lines and lines of ^Z alone (the end-of-file mark of DOS files) are
// passed over. On success `image` gets the assembled image. A malformed record, a file without
// a required end record, or anything but blank lines after an end record, gives false and an
// `error` naming the line ("line 7: bad checksum"; a missing end record is named at the line
// after the last), and leaves `image` as it was.
bool DecodeRecordLines(const std::vector<std::uint8_t>& file, RecordReader read, EndRecord end,
                       std::vector<std::uint8_t>& image, std::string& error);

// Appends a line: `mark`, then `record` in upper-case hex, then "\n".
void AppendRecordLine(std::vector<std::uint8_t>& file, const char* mark,
                      const std::vector<std::uint8_t>& record);

// The sum of the bytes, modulo 256, from which both formats make their checksums.
std::uint8_t ByteSum(const std::vector<std::uint8_t>& bytes);

}  // namespace korvel
