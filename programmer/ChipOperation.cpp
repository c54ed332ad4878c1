#include "programmer/ChipOperation.h"

#include <algorithm>
#include <vector>

#include "programmer/WriteRuns.h"

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

// One run of an operation over runs of addresses, one after the other: what it works on, and how
// it ends.
class Run {
  public:
    Run(ProgrammerBoard& board, ChipOperation operation, ImageBuffer& image,
        const Progress& progress, const bool& stop)
        : board_(board),
          rule_(RuleOf(operation)),
          image_(image),
          progress_(progress),
          stop_(stop),
          outcome_{operation} {}

    // Goes through the runs in order, until one ends in anything but success. With `answered`,
    // a run where no chip answers is noted there, read as 0xFF, and passed over.
    ChipOutcome Over(const std::vector<ChipRange>& runs, std::vector<bool>* answered = nullptr) {
        total_ = 0;
        for (const ChipRange& run : runs) {
            total_ += run.length;
        }
        for (const ChipRange& run : runs) {
            range_ = run;
            if (board_.MovesBlocks()) {
                InBlocks();
            } else {
                ByteByByte();
            }
            if (answered != nullptr) {
                answered->push_back(outcome_.result != ChipResult::NoChip);
                PassOverSilence();
            }
            if (!outcome_.Succeeded()) {
                break;
            }
            doneBefore_ += run.length;
        }
        return Finished();
    }

  private:
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

    // After a run where nothing answered: its bytes are 0xFF, as the five commands read them.
    void PassOverSilence() {
        if (outcome_.result == ChipResult::NoChip) {
            std::fill_n(image_.begin() + range_.start, range_.length, 0xFF);
            outcome_.result = ChipResult::Done;
        }
    }

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
            progress_(doneBefore_ + next - range_.start, total_);
        }
    }

    const ChipOutcome& Failed(ChipResult result, std::int32_t address) {
        outcome_.result = result;
        outcome_.address = address;
        return outcome_;
    }

    ProgrammerBoard& board_;
    ChipRange range_{0, 0};        // the run under way
    std::int32_t doneBefore_ = 0;  // addresses of the runs before it
    std::int32_t total_ = 0;       // addresses of all runs
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
    return Run(board, operation, image, progress, stop).Over({work.range});
}

AnsweredRead ReadNotingSilence(ProgrammerBoard& board, const ChipWork& work, std::int32_t runLength,
                               ImageBuffer& image, const Progress& progress, const bool& stop) {
    board.BeginChipWork({work.type.addressBytes, work.type.pageSize, work.chipAddress});
    std::vector<ChipRange> runs;
    for (std::int32_t start = work.range.start; start < work.range.start + work.range.length;
         start += runLength) {
        runs.push_back({start, runLength});
    }
    AnsweredRead read{ChipOutcome{ChipOperation::Read}, {}};
    const bool tells = board.MovesBlocks();
    Run run(board, ChipOperation::Read, image, progress, stop);
    read.outcome = run.Over(runs, tells ? &read.answered : nullptr);
    const bool any =
        std::find(read.answered.begin(), read.answered.end(), true) != read.answered.end();
    if (tells && read.outcome.Succeeded() && !any) {
        read.outcome.result = ChipResult::NoChip;
        read.outcome.address = work.range.start;
    }
    return read;
}

ChangedWrite WriteAddresses(ProgrammerBoard& board, const ChipWork& work,
                            const std::vector<std::int32_t>& addresses, ImageBuffer& image,
                            const Progress& progress, const bool& stop) {
    board.BeginChipWork({work.type.addressBytes, work.type.pageSize, work.chipAddress});
    const bool pages = board.MovesBlocks();
    const std::vector<ChipRange> runs =
        pages ? PageRuns(addresses, work.type.pageSize, work.range) : ByteRuns(addresses);
    ChangedWrite write{Run(board, ChipOperation::Write, image, progress, stop).Over(runs), 0, 0};
    for (const ChipRange& run : runs) {
        write.written += run.length;
    }
    write.pages = pages ? PagesIn(runs, work.type.pageSize) : 0;
    return write;
}

}  // namespace korvel
