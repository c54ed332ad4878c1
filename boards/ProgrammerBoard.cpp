#include "boards/ProgrammerBoard.h"

namespace korvel {

// A board that moves no blocks is never asked to.
BlockOutcome ProgrammerBoard::ReadBlocks(std::int32_t start, std::int32_t, const BlockSink&) {
    return {BlockResult::NoAnswer, start};
}

BlockOutcome ProgrammerBoard::WritePages(std::int32_t start, std::int32_t, const std::uint8_t*,
                                         const WriteProgress&) {
    return {BlockResult::NoAnswer, start};
}

}  // namespace korvel
