#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// What the image view's Find looks for: bytes typed in hex ("DE AD", "dead"), or text, which is
// anything else, or anything at all between double quotes ("\"cafe\"" is the four letters).
struct SearchQuery {
    std::vector<std::uint8_t> bytes;
    bool text = false;
};

// The query for what the user typed; false for an empty one.
bool ParseSearch(const std::string& typed, SearchQuery& query);

// How the query is named in the view's notes: the bytes as "DE AD", text in double quotes.
std::string SearchName(const SearchQuery& query);

// Where the bytes first occur in image[0, size), looking from `from` on towards the end, or
// backwards towards the start, and on round the other end; -1 when nowhere.
int FindInImage(const std::uint8_t* image, int size, const std::vector<std::uint8_t>& bytes,
                int from, bool backwards);

// An address typed in hex, with or without "0x" before or "h" after ("1F0", "0x1f0", "1F0h");
// false for anything else.
bool ParseAddress(const std::string& typed, int& address);

}  // namespace korvel
