#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dialog/ImageRows.h"
#include "dialog/ImageSearch.h"
#include "programmer/Programmer.h"

namespace korvel {

// What the image view shows and does, without the toolkit: the image in rows of 16 bytes as far
// as the selected chip reaches, a cursor on one byte in the hex or the text pane, overwriting
// with undo and redo, going to an address, finding bytes or text, and the differences the last
// Verify or Compare found. Every edit goes into the programmer's image at once (EditImage), so
// that the image then stands for no file, and is told to `edited`.
class ImageEditor {
  public:
    enum class Pane { Hex, Text };

    ImageEditor(Programmer& core, std::function<void()> edited);

    // After work done elsewhere (a Read, an Open, another chip type ...). An image changed
    // elsewhere ends the undo history, which would put old bytes over the new ones.
    void Follow();
    // While an operation runs the image is shown, but neither edited nor undone.
    void Lock(bool locked);
    bool Locked() const { return locked_; }

    // "Image: /home/ann/dump.bin (24C02)": what the image stands for, and the chip type.
    std::string Title() const;
    int Size() const { return core_.Chip().size; }
    int Rows() const { return Size() / kRowBytes; }
    ImageRow Row(int row) const;

    int Cursor() const { return cursor_; }
    Pane ActivePane() const { return pane_; }
    // In the hex pane: whether the next digit typed goes into the byte's low half.
    bool OnLowDigit() const { return lowDigit_; }
    // Moves the cursor to a byte (held within the image), onto its high digit.
    void MoveTo(int address);
    void MoveBy(int bytes) { MoveTo(cursor_ + bytes); }
    void ChoosePane(Pane pane);

    // Overwrites at the cursor and moves on: a hex digit in the hex pane (the high digit, then
    // the low one), a printable ASCII character in the text pane. False when refused.
    bool Type(char key);
    bool Undo();
    bool Redo();
    bool CanUndo() const { return !locked_ && !undo_.empty(); }
    bool CanRedo() const { return !locked_ && !redo_.empty(); }

    // An address typed in hex (see ParseAddress).
    bool GoTo(const std::string& typed);
    // Finds bytes or text (see ParseSearch) from the cursor on, round past the end; the next and
    // previous occurrence of the last query from there.
    bool Find(const std::string& typed);
    bool FindNext() { return FindFrom(cursor_ + 1, false); }
    bool FindPrevious() { return FindFrom(cursor_ - 1, true); }
    // Where the last search found its bytes, and how many; -1 and 0 when it found nothing.
    int FoundAt() const { return foundAt_; }
    int FoundLength() const { return foundAt_ < 0 ? 0 : static_cast<int>(query_.bytes.size()); }

    // The bytes where the chip differs from the image, ascending by address: what the last
    // Verify or Compare found, with the image's bytes as edited since. An edit that gives a byte
    // the chip's value settles its difference, and undoing the edit brings it back.
    const std::vector<Difference>& Differences() const { return marked_; }
    bool Differs(int address) const;
    // To the next or previous difference from the cursor; false at the last or first one.
    bool NextDifference();
    bool PreviousDifference();

    // The cursor's byte: "0012h: 41", and where the chip differs "001Fh: 00, chip FF
    // (difference 1 of 3)".
    std::string Position() const;
    // What the last command has to say: a search's result, a refused edit ...; empty when
    // nothing.
    const std::string& Note() const { return note_; }

  private:
    struct Edit {
        int address;
        std::uint8_t before;
        std::uint8_t after;
    };

    void Put(int address, std::uint8_t byte);
    void MarkDifferences();
    bool Refused();
    bool FindFrom(int from, bool backwards);

    Programmer& core_;
    std::function<void()> edited_;
    ImageBuffer shown_;  // the image as this view last saw it, its own edits included
    bool locked_ = false;
    int cursor_ = 0;
    Pane pane_ = Pane::Hex;
    bool lowDigit_ = false;
    bool joinLowDigit_ = false;  // the last edit set this byte's high digit: one step for both
    std::vector<Edit> undo_;
    std::vector<Edit> redo_;
    std::vector<Difference> known_;   // the chip's bytes found, settled or not
    std::vector<Difference> marked_;  // those that still differ
    SearchQuery query_;
    int foundAt_ = -1;
    std::string note_;
};

}  // namespace korvel
