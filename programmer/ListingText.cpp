#include "programmer/ListingText.h"

#include "programmer/FormatText.h"
#include "programmer/ProgramInfo.h"

namespace korvel {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr int kRowBytes = 16;

// The ctime layout with a two-digit day and English names whatever the locale, as the listing
// has always shown it.
std::string DateText(const std::tm& when) {
    static const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return FormatText("%s %s %.2d %.2d:%.2d:%.2d %d", kWeekdays[when.tm_wday], kMonths[when.tm_mon],
                      when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec, when.tm_year + 1900);
}

std::string Row(const std::uint8_t* bytes, std::int32_t offset) {
    std::string row = FormatText("%.4X   ", static_cast<unsigned>(offset));
    std::string text(kRowBytes, '.');
    for (int i = 0; i < kRowBytes; ++i) {
        if (i == kRowBytes / 2) {
            row += "- ";
        }
        row += FormatText("%.2X ", bytes[i]);
        if (bytes[i] >= 0x20 && bytes[i] <= 0x7E) {
            text[static_cast<std::size_t>(i)] = static_cast<char>(bytes[i]);
        }
    }
    return row + "  " + text + kLineEnd;
}

}  // namespace

std::string BufferListingText(const std::string& fileName, const char* deviceName,
                              const std::uint8_t* image, std::int32_t size, const std::tm& when) {
    std::string listing =
        std::string(kProgramTitle) + " - " + kWebAddress + " - " + kMailAddress + " " + kLineEnd;
    listing += DateText(when) + kLineEnd;
    listing += kLineEnd;
    listing += "File: " + fileName + FormatText("         Size: %d bytes", size) + kLineEnd;
    listing += std::string("Device: ") + deviceName + kLineEnd;
    listing += kLineEnd;
    for (std::int32_t offset = 0; offset < size; offset += kRowBytes) {
        listing += Row(image + offset, offset);
    }
    return listing;
}

}  // namespace korvel
