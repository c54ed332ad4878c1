#include "dialog/ImageRows.h"

#include <algorithm>

#include "image/HexText.h"
#include "programmer/FormatText.h"

namespace korvel {

namespace {

constexpr int kHexWidth = 3 * kRowBytes;  // 47 characters and the middle blank

char Shown(std::uint8_t byte) {
    return byte >= 0x20 && byte <= 0x7E ? static_cast<char>(byte) : '.';
}

void PutHex(std::string& line, int index, std::uint8_t byte) {
    line.replace(static_cast<std::size_t>(HexColumn(index)), 2,
                 HexDigits(&byte, 1, HexCase::Upper));
}

}  // namespace

int HexColumn(int index) {
    return 3 * index + (index >= kRowBytes / 2 ? 1 : 0);
}

std::vector<Difference>::const_iterator DifferenceFrom(const std::vector<Difference>& differences,
                                                       int address) {
    return std::lower_bound(
        differences.begin(), differences.end(), address,
        [](const Difference& difference, int at) { return difference.address < at; });
}

ImageRow ImageRowAt(const std::uint8_t* image, int address,
                    const std::vector<Difference>& differences) {
    ImageRow row{FormatText("%04X", static_cast<unsigned>(address)),
                 std::string(kHexWidth - 1, ' '), std::string(), std::string()};
    for (int i = 0; i < kRowBytes; ++i) {
        PutHex(row.hex, i, image[address + i]);
        row.text += Shown(image[address + i]);
    }
    for (auto d = DifferenceFrom(differences, address);
         d != differences.end() && d->address < address + kRowBytes; ++d) {
        row.chip.resize(kHexWidth - 1, ' ');
        PutHex(row.chip, d->address - address, d->chip);
    }
    row.chip.erase(row.chip.find_last_not_of(' ') + 1);
    return row;
}

}  // namespace korvel
