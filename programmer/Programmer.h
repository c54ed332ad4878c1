#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "boards/ProgrammerBoard.h"
#include "image/ImageFormat.h"
#include "platform/PortMap.h"
#include "programmer/ChipOperation.h"
#include "programmer/ChipTypes.h"
#include "programmer/Detection.h"
#include "programmer/ImageFiles.h"
#include "programmer/SizeProbe.h"

namespace korvel {

// A byte where the chip and the image differ.
struct Difference {
    std::int32_t address;
    std::uint8_t chip;
    std::uint8_t image;
};

// How a comparison of the chip with the image went: the read of the chip, and what it found up
// to where the read got.
struct CompareOutcome {
    ChipOutcome read;
    std::vector<Difference> differences;
};

// How a write of the changed bytes went: the read before it, else the write; how many bytes
// differed, how many the chip was given, and in how many pages (0: byte by byte).
struct ChangedWriteOutcome {
    ChipOutcome outcome;
    std::int32_t differing = 0;
    std::int32_t written = 0;
    std::int32_t pages = 0;
};

// How a size probe went: the read, and what it found.
struct ProbeOutcome {
    ChipOutcome read;
    SizeFinding finding;
};

struct ListingOutcome {
    bool written = false;
    std::string path;    // where the listing is
    std::string reason;  // why it could not be written, where there is more to say
};

// The programmer: the selected chip type, the image and what it stands for, the board on its
// port, and everything done with them. Every face (the window, the command line, the
// benchmarks) works through this; it shows nothing itself, and its outcomes say what happened
// in words that every face shares (programmer/Messages.h).
class Programmer {
  public:
    // A Korvel board, driven as the environment says, on the machine's ports.
    Programmer();
    Programmer(std::unique_ptr<ProgrammerBoard> board, PortNames ports);
    ~Programmer();
    Programmer(const Programmer&) = delete;
    Programmer& operator=(const Programmer&) = delete;

    // Closes the port in use, opens COMn (1 to 4; anything else opens nothing) and asks for the
    // board there. The port stays open afterwards, whatever was found, until the next detection
    // or Disconnect.
    Detection Detect(int portNumber);
    void Disconnect();
    bool BoardFound() const { return boardFound_; }
    const PortNames& Ports() const { return ports_; }
    // From now on COMn stands for this device, whatever else would.
    void NamePort(int portNumber, const std::string& device) { ports_.Name(portNumber, device); }

    // The chip type by its catalogue row; a row outside the catalogue changes nothing. A chip
    // address or a range the new type cannot take goes back to 0, or to the whole chip.
    void SelectChip(int row);
    int ChipRow() const { return chipRow_; }
    const ChipType& Chip() const { return kChipTypes[chipRow_]; }
    // The chip's address on its bus, from its pins A2-A0; false, with nothing changed, for one
    // the chip type cannot be wired to.
    bool SelectChipAddress(int pins);
    int ChipAddress() const { return chipAddress_; }
    // The addresses that the chip operations cover, the whole chip unless a range is chosen;
    // false, with nothing changed, for a range that is empty or goes past the chip's end.
    bool SelectRange(const ChipRange& range);
    void SelectWholeChip() { range_.reset(); }
    ChipRange Range() const;

    // The image: all of it, beyond the chip's size as well (bytes there keep what they held).
    const ImageBuffer& Image() const { return image_; }
    // Puts bytes into the image from `address` on, as far as the image reaches.
    void PutImage(std::size_t address, const std::vector<std::uint8_t>& bytes);
    // Bytes the user changes: the image then stands for no file, and holds bytes to be saved.
    void EditImage(std::size_t address, const std::vector<std::uint8_t>& bytes);
    // Whether the image holds bytes that no file holds: read from the chip, or edited, and not
    // saved since.
    bool ImageUnsaved() const { return unsaved_; }
    // What the image stands for: kNoFileName, or the lower-cased path of its file.
    const std::string& ImageName() const { return imageName_; }
    void NameImage(const std::string& name) { imageName_ = name; }

    // Runs a chip operation over the range on the board found by the last detection; see
    // RunChipOperation. Read, Erase and Write leave the image standing for no file.
    ChipOutcome Run(ChipOperation operation, const Progress& progress = {});
    // Reads the range of the chip and finds every byte that differs from the image, which stays
    // as it is.
    CompareOutcome Compare(const Progress& progress = {});
    // Reads the range of the chip, then writes only the bytes where the image differs, or on a
    // board that moves blocks the pages that hold them: the chip's write cycles are spared.
    // `reading` and `writing` are told the progress of each part.
    ChangedWriteOutcome WriteChanged(const Progress& reading, const Progress& writing);
    // Finds the chip's size without writing a byte: reads it as the largest type of the selected
    // type's addressing family and sees how its addresses wrap (see FindSize). A type with one
    // address byte is read through all eight device addresses, whatever the chip address; the
    // image stays as it is.
    ProbeOutcome ProbeSize(const Progress& progress = {});
    // What the last Verify (its first difference) or Compare (all of them) found. An edit keeps
    // them, with the image's new bytes, and drops those it settles (the image then holds the
    // chip's byte); any other change to the chip or the image forgets them.
    const std::vector<Difference>& Differences() const { return differences_; }
    // Asks the operation under way to stop after the address or block it is at: for a progress
    // callback, while the operation runs.
    void RequestStop() { stop_ = true; }

    // Image files: on success the image stands for the file, named in lower case.
    LoadOutcome LoadImage(const std::string& path, ImageFormat format);
    SaveOutcome SaveImage(const std::string& path, ImageFormat format);

    // Writes the image's hex listing, BUFFER.TXT, into the temporary directory (TEMP, else
    // TMPDIR, else /tmp, as found when the programmer was made); `writing` is told once the file
    // is open and the listing is being written.
    ListingOutcome WriteListing(const std::function<void()>& writing = {}) const;

  private:
    std::unique_ptr<ProgrammerBoard> board_;
    PortNames ports_;
    bool boardFound_ = false;
    int chipRow_;
    int chipAddress_ = 0;
    std::optional<ChipRange> range_;
    ImageBuffer image_;
    std::string imageName_;
    bool unsaved_ = false;
    bool stop_ = false;
    std::vector<Difference> differences_;
    const std::string listingDirectory_;
};

}  // namespace korvel
