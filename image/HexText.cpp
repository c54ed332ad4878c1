#include "image/HexText.h"

namespace korvel {
namespace {

// The value of a hex digit, or -1 for any other character.
int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

std::string HexDigits(const std::uint8_t* bytes, std::size_t size, HexCase letters) {
    const char* digits = letters == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    text.reserve(2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

bool ParseHexPairs(const std::string& text, std::size_t from, std::vector<std::uint8_t>& bytes,
                   std::string& problem) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (DigitValue(text[i]) < 0) {
            problem = "bad hex digit";
            return false;
        }
    }
    if ((text.size() - from) % 2 != 0) {
        problem = "odd number of hex digits";
        return false;
    }
    bytes.clear();
    for (std::size_t i = from; i < text.size(); i += 2) {
        bytes.push_back(
            static_cast<std::uint8_t>(DigitValue(text[i]) << 4 | DigitValue(text[i + 1])));
    }
    return true;
}

}  // namespace korvel
