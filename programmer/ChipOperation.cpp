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
    Run(ProgrammerBoard& board, const ChipRange& range, ChipOperation operation, ImageBuffer& image,
        const Progress& progress, const bool& stop)
        : board_(board),
          range_(range),
          rule_(RuleOf(operation)),
          image_(image),
          progress_(progress),
          stop_(stop),
          outcome_{operation} {}

    ChipOutcome ByteByByte() {
        for (std::int32_t address = range_.start; address < End(); ++address) {
            if (stop_) {
                return Failed(ChipResult::Stopped, address);
            }
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
                range_.start, range_.length,
                [this](std::int32_t start, const std::uint8_t* bytes, std::int32_t count) {
                    for (std::int32_t i = 0; i < count; ++i) {
                        if (!Take(start + i, bytes[i])) {
                            return false;
                        }
                    }
                    Done(start + count);
                    return GoOn(start + count);
                });
        } else {
            std::vector<std::uint8_t> bytes;
            for (std::int32_t address = range_.start; address < End(); ++address) {
                bytes.push_back(ByteFrom(rule_.data, address));
            }
            blocks = board_.WritePages(range_.start, range_.length, bytes.data(),
                                       [this](std::int32_t done) {
                                           Done(range_.start + done);
                                           return GoOn(range_.start + done);
                                       });
        }
        if (blocks.result != BlockResult::Done && blocks.result != BlockResult::Stopped) {
            return Failed(ResultOf(blocks.result), blocks.address);
        }
        return outcome_;
    }

    // A board that tells only at the end that its last write did not go through.
    ChipOutcome Finished() {
        if (!board_.FinishChipWork() && outcome_.Succeeded() && rule_.data != Source::None) {
            return Failed(ChipResult::WriteFailed, End() - 1);
        }
        return outcome_;
    }

  private:
    std::int32_t End() const { return range_.start + range_.length; }

    // False, with the outcome that says where, when the user asked to stop and there is more to
    // do.
    bool GoOn(std::int32_t next) {
        if (stop_ && next < End()) {
            Failed(ChipResult::Stopped, next);
            return false;
        }
        return true;
    }

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

    // Progress up to the address `next`.
    void Done(std::int32_t next) {
        if (progress_) {
            progress_(next - range_.start, range_.length);
        }
    }

    const ChipOutcome& Failed(ChipResult result, std::int32_t address) {
        outcome_.result = result;
        outcome_.address = address;
        return outcome_;
    }

    ProgrammerBoard& board_;
    const ChipRange range_;
    const Rule& rule_;
    ImageBuffer& image_;
    const Progress& progress_;
    const bool& stop_;
    ChipOutcome outcome_;
};

}  // namespace

bool UntiesImage(ChipOperation operation) {
    return RuleOf(operation).untiesImage;
}

ChipOutcome RunChipOperation(ProgrammerBoard& board, const ChipWork& work, ChipOperation operation,
                             ImageBuffer& image, const Progress& progress, const bool& stop) {
    board.BeginChipWork({work.type.addressBytes, work.type.pageSize, work.chipAddress});
    Run run(board, work.range, operation, image, progress, stop);
    if (board.MovesBlocks()) {
        run.InBlocks();
    } else {
        run.ByteByByte();
    }
    return run.Finished();
}

}  // namespace korvel
