#include "dialog/ImageEditor.h"

#include <algorithm>
#include <cctype>

#include "programmer/FormatText.h"

namespace korvel {

namespace {

constexpr const char kLockedNote[] = "No edits while an operation runs";
constexpr const char kNoDifferenceNote[] = "No difference known: Verify, or Compare with chip";

int DigitValue(char key) {
    const unsigned char c = static_cast<unsigned char>(key);
    if (!std::isxdigit(c)) {
        return -1;
    }
    return std::isdigit(c) ? c - '0' : std::toupper(c) - 'A' + 10;
}

std::string HexAddress(int address) {
    return FormatText("%04Xh", static_cast<unsigned>(address));
}

}  // namespace

ImageEditor::ImageEditor(Programmer& core, std::function<void()> edited)
    : core_(core), edited_(std::move(edited)), shown_(core.Image()) {
    Follow();
}

void ImageEditor::Follow() {
    if (core_.Image() != shown_) {
        shown_ = core_.Image();
        undo_.clear();
        redo_.clear();
        foundAt_ = -1;
        note_.clear();
    }
    known_ = core_.Differences();
    MarkDifferences();
    MoveTo(std::min(cursor_, Size() - 1));
}

void ImageEditor::Lock(bool locked) {
    locked_ = locked;
    if (!locked_ && note_ == kLockedNote) {
        note_.clear();
    }
}

std::string ImageEditor::Title() const {
    return "Image: " + core_.ImageName() + " (" + core_.Chip().name + ")";
}

ImageRow ImageEditor::Row(int row) const {
    return ImageRowAt(core_.Image().data(), row * kRowBytes, marked_);
}

void ImageEditor::MoveTo(int address) {
    cursor_ = std::clamp(address, 0, Size() - 1);
    lowDigit_ = false;
    joinLowDigit_ = false;
}

void ImageEditor::ChoosePane(Pane pane) {
    pane_ = pane;
    lowDigit_ = false;
    joinLowDigit_ = false;
}

bool ImageEditor::Type(char key) {
    if (locked_) {
        return Refused();
    }
    const std::uint8_t before = core_.Image()[static_cast<std::size_t>(cursor_)];
    std::uint8_t after = static_cast<std::uint8_t>(key);
    if (pane_ == Pane::Hex) {
        const int digit = DigitValue(key);
        if (digit < 0) {
            return false;
        }
        after = lowDigit_ ? static_cast<std::uint8_t>((before & 0xF0) | digit)
                          : static_cast<std::uint8_t>((digit << 4) | (before & 0x0F));
    } else if (key < 0x20 || key > 0x7E) {
        return false;
    }
    note_.clear();
    const bool join = joinLowDigit_ && lowDigit_;
    if (after != before) {
        Put(cursor_, after);
        if (join) {
            undo_.back().after = after;
        } else {
            undo_.push_back({cursor_, before, after});
        }
        redo_.clear();
    }
    if (pane_ == Pane::Hex && !lowDigit_) {
        joinLowDigit_ = after != before;
        lowDigit_ = true;
    } else {
        MoveTo(cursor_ + 1);
    }
    return true;
}

bool ImageEditor::Undo() {
    if (locked_) {
        return Refused();
    }
    if (undo_.empty()) {
        note_ = "Nothing to undo";
        return false;
    }
    const Edit edit = undo_.back();
    undo_.pop_back();
    Put(edit.address, edit.before);
    redo_.push_back(edit);
    note_.clear();
    MoveTo(edit.address);
    return true;
}

bool ImageEditor::Redo() {
    if (locked_) {
        return Refused();
    }
    if (redo_.empty()) {
        note_ = "Nothing to redo";
        return false;
    }
    const Edit edit = redo_.back();
    redo_.pop_back();
    Put(edit.address, edit.after);
    undo_.push_back(edit);
    note_.clear();
    MoveTo(edit.address);
    return true;
}

bool ImageEditor::GoTo(const std::string& typed) {
    int address = 0;
    if (!ParseAddress(typed, address)) {
        note_ = "Not an address: " + typed;
        return false;
    }
    if (address >= Size()) {
        note_ = FormatText("No address %Xh: the %s ends at %Xh", static_cast<unsigned>(address),
                           core_.Chip().name, static_cast<unsigned>(Size() - 1));
        return false;
    }
    note_.clear();
    MoveTo(address);
    return true;
}

bool ImageEditor::Find(const std::string& typed) {
    if (!ParseSearch(typed, query_)) {
        return false;
    }
    return FindFrom(cursor_, false);
}

bool ImageEditor::FindFrom(int from, bool backwards) {
    if (query_.bytes.empty()) {
        return false;
    }
    foundAt_ = FindInImage(core_.Image().data(), Size(), query_.bytes, from, backwards);
    if (foundAt_ < 0) {
        note_ = "Not found: " + SearchName(query_);
        return false;
    }
    note_ = "Found at " + HexAddress(foundAt_);
    MoveTo(foundAt_);
    return true;
}

bool ImageEditor::Differs(int address) const {
    const auto d = DifferenceFrom(marked_, address);
    return d != marked_.end() && d->address == address;
}

bool ImageEditor::NextDifference() {
    const auto next = DifferenceFrom(marked_, cursor_ + 1);
    if (next == marked_.end()) {
        note_ = marked_.empty() ? kNoDifferenceNote : "No further difference";
        return false;
    }
    note_.clear();
    MoveTo(next->address);
    return true;
}

bool ImageEditor::PreviousDifference() {
    const auto at = DifferenceFrom(marked_, cursor_);
    if (at == marked_.begin()) {
        note_ = marked_.empty() ? kNoDifferenceNote : "No earlier difference";
        return false;
    }
    note_.clear();
    MoveTo(std::prev(at)->address);
    return true;
}

std::string ImageEditor::Position() const {
    const std::uint8_t byte = core_.Image()[static_cast<std::size_t>(cursor_)];
    std::string position = FormatText("%s: %02X", HexAddress(cursor_).c_str(), byte);
    const auto d = DifferenceFrom(marked_, cursor_);
    if (d != marked_.end() && d->address == cursor_) {
        position +=
            FormatText(", chip %02X (difference %d of %d)", d->chip,
                       static_cast<int>(d - marked_.begin()) + 1, static_cast<int>(marked_.size()));
    }
    return position;
}

void ImageEditor::Put(int address, std::uint8_t byte) {
    core_.EditImage(static_cast<std::size_t>(address), {byte});
    shown_[static_cast<std::size_t>(address)] = byte;
    const auto d = DifferenceFrom(known_, address);
    if (d != known_.end() && d->address == address) {
        known_[static_cast<std::size_t>(d - known_.begin())].image = byte;
    }
    MarkDifferences();
    edited_();
}

void ImageEditor::MarkDifferences() {
    marked_.clear();
    std::copy_if(known_.begin(), known_.end(), std::back_inserter(marked_),
                 [](const Difference& d) { return d.chip != d.image; });
}

bool ImageEditor::Refused() {
    note_ = kLockedNote;
    return false;
}

}  // namespace korvel
