#include "programmer/ChipOperation.h"

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

}  // namespace

bool UntiesImage(ChipOperation operation) {
    return RuleOf(operation).untiesImage;
}

ChipOutcome RunChipOperation(ProgrammerBoard& board, const ChipType& chip, ChipOperation operation,
                             ImageBuffer& image, const Progress& progress) {
    const Rule& rule = RuleOf(operation);
    const auto byteFrom = [&image](Source source, std::int32_t address) -> std::uint8_t {
        return source == Source::Image ? image[static_cast<std::size_t>(address)] : 0xFF;
    };
    board.BeginChipWork({chip.addressBytes});
    for (std::int32_t address = 0; address < chip.size; ++address) {
        const std::optional<std::uint8_t> reply =
            rule.data == Source::None ? board.ReadByte(address)
                                      : board.WriteByte(address, byteFrom(rule.data, address));
        if (!reply) {
            return {operation, ChipResult::TransmissionError, address};
        }
        if (rule.expected == Source::None) {
            image[static_cast<std::size_t>(address)] = *reply;
        } else if (*reply != byteFrom(rule.expected, address)) {
            return {operation, rule.mismatch, address, *reply, byteFrom(Source::Image, address)};
        }
        if (progress) {
            progress(address + 1, chip.size);
        }
    }
    return {operation};
}

}  // namespace korvel
