#include "programmer/ChipOperation.h"

#include <vector>

namespace korvel {

namespace {

// Where a byte of an operation comes from.
enum class Source { None, Image, Blank };

struct Rule {
    Source data;      // what a write carries; None: the operation reads
    Source expected;  // what the reply must be; None: the reply goes into the image
    ChipResult mismatch;
    bool untiesImage;
};

// clang-format off
constexpr Rule kRules[] = {
    /* Read */       {Source::None,  Source::None,  ChipResult::Done,        true},
    /* Verify */     {Source::None,  Source::Image, ChipResult::Differs,     false},
    /* BlankCheck */ {Source::None,  Source::Blank, ChipResult::NotBlank,    false},
    /* Erase */      {Source::Blank, Source::Blank, ChipResult::WriteFailed, true},
    /* Write */      {Source::Image, Source::Image, ChipResult::WriteFailed, true},
};
// clang-format on

const Rule& RuleOf(ChipOperation operation) {
    return kRules[static_cast<int>(operation)];
}

ChipResult ResultOf(BlockResult result) {
    switch (result) {
        case BlockResult::Done:
        case BlockResult::Stopped:
            return ChipResult::Done;
        case BlockResult::WriteFailed:
            return ChipResult::WriteFailed;
        case BlockResult::NoChip:
            return ChipResult::NoChip;
        case BlockResult::NoAnswer:
        default:
            return ChipResult::TransmissionError;
    }
}

// One run of an operation: what it works on, and how it ends.
class Run {
  public:
    Run(ProgrammerBoard& board, const ChipType& chip, ChipOperation operation, ImageBuffer& image,
        const Progress& progress)
        : board_(board),
          chip_(chip),
          rule_(RuleOf(operation)),
          image_(image),
          progress_(progress),
          outcome_{operation} {}

    ChipOutcome ByteByByte() {
        for (std::int32_t address = 0; address < chip_.size; ++address) {
            const std::optional<std::uint8_t> reply =
                rule_.data == Source::None
                    ? board_.ReadByte(address)
                    : board_.WriteByte(address, ByteFrom(rule_.data, address));
            if (!reply) {
                return Failed(ChipResult::TransmissionError, address);
            }
            if (!Take(address, *reply)) {
                return outcome_;
            }
            Done(address + 1);
        }
        return outcome_;
    }

    ChipOutcome InBlocks() {
        BlockOutcome blocks;
        if (rule_.data == Source::None) {
            blocks = board_.ReadBlocks(
                0, chip_.size,
                [this](std::int32_t start, const std::uint8_t* bytes, std::int32_t count) {
                    for (std::int32_t i = 0; i < count; ++i) {
                        if (!Take(start + i, bytes[i])) {
                            return false;
                        }
                    }
                    Done(start + count);
                    return true;
                });
        } else {
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(chip_.size));
            for (std::int32_t address = 0; address < chip_.size; ++address) {
                bytes[static_cast<std::size_t>(address)] = ByteFrom(rule_.data, address);
            }
            blocks = board_.WritePages(0, chip_.size, bytes.data(),
                                       [this](std::int32_t done) { Done(done); });
        }
        if (blocks.result != BlockResult::Done && blocks.result != BlockResult::Stopped) {
            return Failed(ResultOf(blocks.result), blocks.address);
        }
        return outcome_;
    }

    // A board that tells only at the end that its last write did not go through.
    ChipOutcome Finished() {
        if (!board_.FinishChipWork() && outcome_.Succeeded() && rule_.data != Source::None) {
            return Failed(ChipResult::WriteFailed, chip_.size - 1);
        }
        return outcome_;
    }

  private:
    std::uint8_t ByteFrom(Source source, std::int32_t address) const {
        return source == Source::Image ? image_[static_cast<std::size_t>(address)] : 0xFF;
    }

    // The reply at an address: into the image, or checked; false when it stops the operation.
    bool Take(std::int32_t address, std::uint8_t reply) {
        if (rule_.expected == Source::None) {
            image_[static_cast<std::size_t>(address)] = reply;
            return true;
        }
        if (reply == ByteFrom(rule_.expected, address)) {
            return true;
        }
        Failed(rule_.mismatch, address);
        outcome_.chipByte = reply;
        outcome_.imageByte = ByteFrom(Source::Image, address);
        return false;
    }

    void Done(std::int32_t done) {
        if (progress_) {
            progress_(done, chip_.size);
        }
    }

    const ChipOutcome& Failed(ChipResult result, std::int32_t address) {
        outcome_.result = result;
        outcome_.address = address;
        return outcome_;
    }

    ProgrammerBoard& board_;
    const ChipType& chip_;
    const Rule& rule_;
    ImageBuffer& image_;
    const Progress& progress_;
    ChipOutcome outcome_;
};

}  // namespace

bool UntiesImage(ChipOperation operation) {
    return RuleOf(operation).untiesImage;
}

ChipOutcome RunChipOperation(ProgrammerBoard& board, const ChipType& chip, ChipOperation operation,
                             ImageBuffer& image, const Progress& progress) {
    board.BeginChipWork({chip.addressBytes, chip.pageSize});
    Run run(board, chip, operation, image, progress);
    if (board.MovesBlocks()) {
        run.InBlocks();
    } else {
        run.ByteByByte();
    }
    return run.Finished();
}

}  // namespace korvel
