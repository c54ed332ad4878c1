#include "image/RecordText.h"

#include <algorithm>
#include <numeric>

#include "image/HexText.h"

namespace korvel {
namespace {

std::string LineError(std::size_t number, const std::string& problem) {
    return "line " + std::to_string(number) + ": " + problem;
}

}  // namespace

bool DecodeRecordLines(const std::vector<std::uint8_t>& file, RecordReader read,
                       std::vector<std::uint8_t>& image, std::string& error) {
    ImageAssembler assembled;
    std::uint64_t carried = 0;
    bool ended = false;
    std::size_t number = 0;
    for (auto start = file.begin(); start != file.end();) {
        const auto stop = std::find(start, file.end(), '\n');
        std::string line(start, stop);
        start = stop == file.end() ? stop : stop + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
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
    if (!ended) {
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
