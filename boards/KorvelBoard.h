#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "boards/ByteProtocolBoard.h"

namespace korvel {

// How a Korvel board is to be driven, where the user has a say.
struct KorvelBoardChoices {
    bool originalProtocol = false;  // the five commands alone, even with the open board
    bool slowBus = false;           // the chip's bus at 100 kHz, for parts rated for no more

    // KORVEL_PROTOCOL=original and KORVEL_BUS_KHZ=100 in the environment.
    static KorvelBoardChoices FromEnvironment();
};

// Any board of Korvel's design. Every one speaks the five commands at 9600 baud; Korvel's open
// board, which answers the version request as such, also runs each chip operation on the fast
// link: 500 kbaud, the chip read in blocks and written in pages, every frame checked by its
// CRC and asked again when damaged. When the fast link cannot be set up, the run goes on with
// the five commands.
class KorvelBoard : public ByteProtocolBoard {
  public:
    explicit KorvelBoard(KorvelBoardChoices choices = KorvelBoardChoices::FromEnvironment())
        : choices_(choices) {}

    bool AskVersion(std::string& answer) override;
    void BeginChipWork(const ChipAddressing& chip) override;
    bool FinishChipWork() override;
    std::optional<std::uint8_t> WriteByte(std::int32_t address, std::uint8_t data) override;
    bool MovesBlocks() const override { return linkUp_; }
    BlockOutcome ReadBlocks(std::int32_t start, std::int32_t count, const BlockSink& take) override;
    BlockOutcome WritePages(std::int32_t start, std::int32_t count, const std::uint8_t* bytes,
                            const WriteProgress& progress) override;

    // Whether the board answered as Korvel's open board, and whether its fast link is in use.
    bool IsOpenBoard() const { return openBoard_; }
    bool HasFastLink() const { return fastLink_; }

  private:
    struct Request {
        std::int32_t address;
        std::int32_t count;
    };

    bool SwitchUp();
    bool SwitchDown();
    bool DescribeChip();
    void FallBack();
    bool Recover();
    bool Exchange(const std::vector<std::uint8_t>& frame, std::vector<std::uint8_t>& answer,
                  std::uint8_t command, int limitMs);
    bool AnswerOf(const Request& request, std::uint8_t command, std::vector<std::uint8_t>& answer,
                  int limitMs);
    void TakeAnswers(const std::deque<Request>& requests, std::uint8_t command);
    void SendFrame(const std::vector<std::uint8_t>& frame);
    bool WritesWentThrough();

    KorvelBoardChoices choices_;
    bool openBoard_ = false;  // the board answered as Korvel's open board
    bool fastLink_ = false;   // its fast link works on this line
    bool linkUp_ = false;     // the chip work under way runs on the fast link
    bool wrote_ = false;      // the chip work under way wrote to the open board byte by byte
    ChipAddressing chip_{1, 1, 0};
};

}  // namespace korvel
