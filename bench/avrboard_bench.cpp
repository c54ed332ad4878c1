// What the board's firmware adds to each exchange beyond the bytes on the line, in simulated
// cycles of the ATmega328P at 16 MHz: from the end of the command's last byte to the start of
// the answer. The bus runs at 100 kHz; a write includes the chip's 5 ms write cycle.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/avrboard/AvrBoard.h"

namespace korvel {
namespace {

using korvel::sim::AvrBoard;
using korvel::sim::AvrBoardSetup;
using korvel::sim::FindChip;

constexpr double kCyclesPerUs = AvrBoard::kClockHz / 1e6;

class Bench {
  public:
    explicit Bench(const char* chip) {
        AvrBoardSetup setup;
        setup.firmware = KORVEL_FIRMWARE_ELF;
        setup.chip = FindChip(chip);
        std::string error;
        board_ = AvrBoard::Create(setup, error);
        if (!board_) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return;
        }
        board_->OnSend([this](std::uint8_t) {
            if (answeredAt_ == 0) {
                answeredAt_ = board_->Cycle();
            }
        });
    }
    bool Ready() const { return board_ != nullptr; }

    // Sends the bytes and returns the cycles from the end of the last one to the answer (for a
    // command that gets one).
    std::uint64_t Exchange(const std::vector<std::uint8_t>& command) {
        board_->RunUntil(board_->Cycle() + 20 * kCyclesPerUs * 1000);  // the board settles
        answeredAt_ = 0;
        for (std::uint8_t byte : command) {
            board_->Receive(byte);
        }
        const std::uint64_t in = board_->LastActivity();
        board_->RunUntil(in + 50 * kCyclesPerUs * 1000);
        return answeredAt_ - in;
    }

  private:
    std::unique_ptr<AvrBoard> board_;
    std::uint64_t answeredAt_ = 0;
};

void Print(const char* what, std::uint64_t cycles) {
    std::printf("%-44s %7llu cycles  %8.1f us\n", what, static_cast<unsigned long long>(cycles),
                static_cast<double>(cycles) / kCyclesPerUs);
}

}  // namespace
}  // namespace korvel

int main() {
    using namespace korvel;
    Bench small("24C16");
    Bench large("24C256");
    if (!small.Ready() || !large.Ready()) {
        return 1;
    }
    small.Exchange({'T', 0x00});
    small.Exchange({'C', 0xA6});
    large.Exchange({'T', 0x01});
    large.Exchange({'C', 0xA0});
    Print("'F' version (to the first of three bytes)", small.Exchange({'F'}));
    Print("'R' 24C16, one address byte", small.Exchange({'R', 0x34}));
    Print("'R' 24C16, the next address", small.Exchange({'R', 0x35}));
    Print("'R' 24C256, two address bytes", large.Exchange({'R', 0x34, 0x12}));
    Print("'R' 24C256, the next address", large.Exchange({'R', 0x35, 0x12}));
    Print("'W' 24C16, with the 5 ms write cycle", small.Exchange({'W', 0x34, 0x5A}));
    Print("'W' 24C256, with the 5 ms write cycle", large.Exchange({'W', 0x34, 0x12, 0x5A}));
    return 0;
}
