#include "dialog/ImageSearch.h"

#include <algorithm>
#include <cctype>

#include "image/HexText.h"

namespace korvel {

namespace {

std::string Trimmed(const std::string& text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

bool MatchesAt(const std::uint8_t* image, int size, const std::vector<std::uint8_t>& bytes,
               int at) {
    return at >= 0 && at + static_cast<int>(bytes.size()) <= size &&
           std::equal(bytes.begin(), bytes.end(), image + at);
}

}  // namespace

bool ParseSearch(const std::string& typed, SearchQuery& query) {
    const std::string trimmed = Trimmed(typed);
    if (trimmed.empty()) {
        return false;
    }
    if (trimmed.size() >= 3 && trimmed.front() == '"' && trimmed.back() == '"') {
        const std::string text = trimmed.substr(1, trimmed.size() - 2);
        query = {std::vector<std::uint8_t>(text.begin(), text.end()), true};
        return true;
    }
    std::string digits;
    for (const char c : trimmed) {
        if (!std::isspace(static_cast<unsigned char>(c))) {
            digits += c;
        }
    }
    std::vector<std::uint8_t> bytes;
    std::string problem;
    if (ParseHexPairs(digits, 0, bytes, problem)) {
        query = {bytes, false};
    } else {
        query = {std::vector<std::uint8_t>(trimmed.begin(), trimmed.end()), true};
    }
    return true;
}

std::string SearchName(const SearchQuery& query) {
    if (query.text) {
        return "\"" + std::string(query.bytes.begin(), query.bytes.end()) + "\"";
    }
    std::string name;
    for (const std::uint8_t byte : query.bytes) {
        name += (name.empty() ? "" : " ") + HexDigits(&byte, 1, HexCase::Upper);
    }
    return name;
}

int FindInImage(const std::uint8_t* image, int size, const std::vector<std::uint8_t>& bytes,
                int from, bool backwards) {
    if (size <= 0 || bytes.empty()) {
        return -1;
    }
    const int step = backwards ? -1 : 1;
    for (int i = 0; i < size; ++i) {
        const int at = ((from + step * i) % size + size) % size;
        if (MatchesAt(image, size, bytes, at)) {
            return at;
        }
    }
    return -1;
}

bool ParseAddress(const std::string& typed, int& address) {
    std::string digits = Trimmed(typed);
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.erase(0, 2);
    } else if (!digits.empty() && (digits.back() == 'h' || digits.back() == 'H')) {
        digits.pop_back();
    }
    if (digits.empty() || digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(),
                     [](unsigned char c) { return std::isxdigit(c) != 0; })) {
        return false;
    }
    address = static_cast<int>(std::stoul(digits, nullptr, 16));
    return true;
}

}  // namespace korvel
