#include "image/RecordText.h"

#include <algorithm>
#include <numeric>

#include "image/HexText.h"

namespace korvel {
namespace {

std::string LineError(std::size_t number, const std::string& problem) {
    return "line " + std::to_string(number) + ": " + problem;
}

using Byte = std::vector<std::uint8_t>::const_iterator;

// ^Z, which DOS programs put after the end of a text file.
constexpr char kDosEndOfFile = 0x1A;

bool IsLineEnd(std::uint8_t c) {
    return c == '\n' || c == '\r';
}

// Where the next line starts, after the line end at `stop`: "\r\n" is one line end.
Byte NextLine(Byte stop, Byte end) {
    if (stop == end) {
        return end;
    }
    const bool crlf = *stop == '\r' && stop + 1 != end && stop[1] == '\n';
    return stop + (crlf ? 2 : 1);
}

// The file's start, after the UTF-8 byte-order mark that some Windows editors put there.
Byte WithoutByteOrderMark(const std::vector<std::uint8_t>& file) {
    static const std::uint8_t kMark[] = {0xEF, 0xBB, 0xBF};
    const bool marked = file.size() >= 3 && std::equal(kMark, kMark + 3, file.begin());
    return file.begin() + (marked ? 3 : 0);
}

}  // namespace

bool DecodeRecordLines(const std::vector<std::uint8_t>& file, RecordReader read, EndRecord end,
                       std::vector<std::uint8_t>& image, std::string& error) {
    ImageAssembler assembled;
    std::uint64_t carried = 0;
    bool ended = false;
    std::size_t number = 0;
    for (auto start = WithoutByteOrderMark(file); start != file.end();) {
        const auto stop = std::find_if(start, file.end(), IsLineEnd);
        const std::string line(start, stop);
        start = NextLine(stop, file.end());
        ++number;
        if (line.find_first_not_of(kDosEndOfFile) == std::string::npos) {
            continue;
        }
        if (ended) {
            // A second image run on after the first, or files pasted together.
            error = LineError(number, "data after the end record");
            return false;
        }
        std::string problem;
        if (!read(line, carried, assembled, ended, problem)) {
            error = LineError(number, problem);
            return false;
        }
    }
    if (!ended && end == EndRecord::Required) {
        error = LineError(number + 1, "no end record");
        return false;
    }
    image = assembled.Image();
    return true;
}

void AppendRecordLine(std::vector<std::uint8_t>& file, const char* mark,
                      const std::vector<std::uint8_t>& record) {
    const std::string line = mark + HexDigits(record.data(), record.size(), HexCase::Upper) + "\n";
    file.insert(file.end(), line.begin(), line.end());
}

std::uint8_t ByteSum(const std::vector<std::uint8_t>& bytes) {
    return static_cast<std::uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
}

}  // namespace korvel
