#pragma once

#include <cstdint>
#include <vector>

#include "tools/boardsim/Chip.h"

namespace korvel::sim {

// What the open board does with one byte at the fast rate.
struct FrameStep {
    bool ended = false;               // the byte ended a frame, answered or not
    std::vector<std::uint8_t> reply;  // the answer to that frame, whole
    const char* dropped = nullptr;    // why the frame gets no answer, for the trace
    bool writeCycle = false;          // the answer waits for the chip's write cycle
    bool backTo9600 = false;          // the board runs at 9600 baud once the answer is out
    std::size_t bytes = 0;            // the frame's length, once it has ended
};

// The open board's side of the fast link: it collects the host's frames byte by byte, checks
// them and answers them from the chip, as protocol/FastLink.h has them. A frame that cannot be
// right is dropped as soon as that shows: an unknown command byte at once, a 'W' with an
// impossible count at that count, anything else at its CRC.
class FastFrames {
  public:
    FastFrames(Chip& chip, long badReplyAt) : chip_(chip), badReplyAt_(badReplyAt) {}

    // `heldBytes`: the bytes of the frames the board holds and has not answered yet; a frame
    // that ends with more than protocol::kMostBytesAhead held, itself included, is lost.
    FrameStep Take(std::uint8_t byte, std::size_t heldBytes);
    // True while part of a frame is in.
    bool InFrame() const { return !frame_.empty(); }
    // Forgets the part of a frame that is in.
    void Forget() { frame_.clear(); }

  private:
    // What 'M' said about the chip.
    struct Setup {
        bool twoAddressBytes = false;
        std::uint8_t select = 0xA0;
        std::uint8_t pageSize = 0;  // 0 until the first 'M'
    };

    std::size_t Length() const;
    FrameStep Answer(const std::vector<std::uint8_t>& frame);
    FrameStep ChipSetup(const std::uint8_t* arguments);
    FrameStep ReadBlock(std::uint16_t address, int count);
    FrameStep WritePage(std::uint16_t address, const std::uint8_t* bytes, int count);
    std::uint8_t Select(std::uint16_t address) const;
    std::uint32_t ChipAddress(std::uint16_t address) const;

    Chip& chip_;
    long badReplyAt_;
    Setup setup_;
    std::vector<std::uint8_t> frame_;
};

}  // namespace korvel::sim
