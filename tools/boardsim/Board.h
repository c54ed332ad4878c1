#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/boardsim/Chip.h"
#include "tools/boardsim/FastFrames.h"

namespace korvel::sim {

// Misbehaviour on request, for tests of the host's error handling.
struct BoardFaults {
    long silentAfter = -1;   // replies given before the board falls silent for good; -1 never
    long badReplyAt = -1;    // chip address whose read or write reply is wrong; -1 none
    long shortVersion = -1;  // bytes of the version answer actually sent; -1 all
};

// What the board does with one byte from the host.
struct BoardStep {
    std::vector<std::uint8_t> reply;  // bytes to send back now
    bool commandEnded = false;        // the byte completed a command (or was no command at all)
    const char* dropped = nullptr;    // at the fast rate: why a frame got no answer
    bool writeCycle = false;          // the reply waits for the chip's write cycle
    std::size_t frameBytes = 0;       // at the fast rate: the length of the frame answered
};

// The programmer board with a 24Cxx chip in its socket: 'F' version, 'T' addressing mode,
// 'C' device select, 'R' read and 'W' write, as the host speaks them. The open board also
// takes the switch to the fast link and then the link's frames, until 'Q' or until the server
// sends it back to 9600 baud.
class Board {
  public:
    Board(Chip& chip, std::string version, bool open, BoardFaults faults);

    // `heldBytes`: at the fast rate, the bytes of the frames the open board holds and has not
    // answered yet (see FastFrames::Take).
    BoardStep Take(std::uint8_t byte, std::size_t heldBytes);
    // The rate the board's UART runs at.
    int Baud() const;
    bool InFrame() const { return fast_ && frames_.InFrame(); }
    // True while part of a command is in, at 9600 baud.
    bool InCommand() const { return !fast_ && expect_ != Expect::Command; }
    // A frame whose next byte came too late: the board forgets the part that is in.
    void ForgetFrame() { frames_.Forget(); }
    // A framing error or a host gone quiet: the board forgets any frame in part and listens
    // at 9600 baud again.
    void BackTo9600();

    const std::vector<std::uint8_t>& Contents() const { return chip_.Contents(); }
    bool TakeChanged() { return chip_.TakeChanged(); }
    // Answers given so far.
    long Replies() const { return replies_; }

  private:
    enum class Expect { Command, ModeByte, SelectByte, AddressLow, AddressHigh, DataByte, Rate };

    bool Silent() const;
    BoardStep Version();
    BoardStep AfterAddress();
    BoardStep WriteByte(std::uint8_t byte);
    BoardStep Answer(std::vector<std::uint8_t> bytes);
    BoardStep TakeFast(std::uint8_t byte, std::size_t heldBytes);
    std::uint32_t ChipAddress() const;

    Chip& chip_;
    std::string version_;
    bool open_;
    BoardFaults faults_;
    FastFrames frames_;

    bool fast_ = false;
    Expect expect_ = Expect::Command;
    std::uint8_t command_ = 0;
    std::uint8_t mode_ = 0x00;    // one address byte
    std::uint8_t select_ = 0xA0;  // A2-A0 low, block 0
    std::uint8_t low_ = 0;
    std::uint8_t high_ = 0;
    long replies_ = 0;
    // The open board's report of a write cycle that never ended, still to be given to the next
    // 'W' and to the next 'F'.
    bool cycleFailedForWrite_ = false;
    bool cycleFailedForVersion_ = false;
};

}  // namespace korvel::sim
