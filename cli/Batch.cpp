#include "cli/Batch.h"

#include <cstdio>

#include "programmer/FormatText.h"

namespace korvel {

namespace {

std::uint64_t LargestSerial(int bytes) {
    return bytes >= 8 ? UINT64_MAX : (std::uint64_t{1} << (bytes * 8)) - 1;
}

}  // namespace

std::vector<std::uint8_t> BigEndian(std::uint64_t number, int count) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte) {
        *byte = static_cast<std::uint8_t>(number & 0xFF);
        number >>= 8;
    }
    return bytes;
}

bool Batch::Run(const Say& say, const Ask& ask) {
    const bool serials = batch_.serialAt >= 0;
    std::uint64_t serial = batch_.serialStart;
    bool serialLeft = true;
    int done = 0, failed = 0;
    bool ok = true;
    for (int chip = 1;; ++chip) {
        say(FormatText("Chip %d", chip) +
            (serials ? FormatText(", serial %llu", static_cast<unsigned long long>(serial)) : ""));
        const bool through =
            chip_(serials ? BigEndian(serial, batch_.serialBytes) : std::vector<std::uint8_t>{});
        ++(through ? done : failed);
        if (through && serials) {
            serialLeft = serial < LargestSerial(batch_.serialBytes);
            serial += serialLeft ? 1 : 0;
        }
        if (!batch_.repeat || chip == batch_.count) {
            break;
        }
        if (!serialLeft) {
            say(FormatText("Serial: %llu was the last number that %d byte%s",
                           static_cast<unsigned long long>(serial), batch_.serialBytes,
                           batch_.serialBytes == 1 ? " holds" : "s hold"));
            ok = false;
            break;
        }
        if (!batch_.yes && !ask()) {
            break;
        }
    }
    if (batch_.repeat) {
        say(FormatText("Chips: %d done, %d failed", done, failed));
    }
    return ok && failed == 0;
}

bool AskForNextChip() {
    std::fputs("Next chip? Enter: go on, q: stop ", stderr);
    std::fflush(stderr);
    char answer[64];
    if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
        std::fputs("\n", stderr);
        return false;
    }
    const char* first = answer;
    while (*first == ' ' || *first == '\t') {
        ++first;
    }
    return *first != 'q' && *first != 'Q';
}

}  // namespace korvel
