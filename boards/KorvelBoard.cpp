#include "boards/KorvelBoard.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <thread>

#include "boards/Frames.h"
#include "protocol/FastLink.h"

namespace korvel {

namespace {

using namespace protocol;

constexpr int kSlowBaud = 9600;
// A board left at the fast rate by a host that went away is back at 9600 baud once it has
// waited kIdleLimitMs for a command, after at most 20 ms of finishing a write: a line quiet for
// longer than both has such a board ready for the question.
constexpr int kQuietBeforeQuestionMs = 70;
constexpr int kQuietLimitMs = 250;
// How long an answer may take: the switch's at 9600 baud, a frame's at the fast rate (a page
// written and polled takes 20 ms at most; the rest is for a slow machine). An answer that does
// not come in time, or comes damaged, is asked for again, a few times.
constexpr int kSwitchAnswerMs = 100;
constexpr int kFrameAnswerMs = 300;
constexpr int kMostRetries = 3;
// The board drops a frame that is cut off after kFrameByteLimitMs: a line quiet for longer has
// nothing half-said on it.
constexpr int kResyncQuietMs = 10;
// The board changes its rate a few microseconds after the stop bit of its answer to the switch:
// a host that sent at the new rate sooner would lose its first byte.
constexpr auto kAfterSwitch = std::chrono::milliseconds(1);

// Bytes of an answer to 'R' of `count` bytes, and to 'W': command, status, address, CRC.
std::size_t ReadAnswerSize(std::int32_t count) {
    return 1 + 1 + 2 + static_cast<std::size_t>(count) + 2;
}
constexpr std::size_t kWriteAnswerSize = 1 + 1 + 2 + 2;
// Bytes of an 'R' frame, and of a 'W' frame of `count` bytes: command, address, count, CRC.
constexpr std::size_t kReadFrameBytes = 1 + 2 + 1 + 2;
std::size_t WriteFrameBytes(std::int32_t count) {
    return kReadFrameBytes + static_cast<std::size_t>(count);
}

// The bytes of a read from `address`: a block, never across a 256-byte boundary.
std::int32_t BlockAt(std::int32_t address, std::int32_t end) {
    return std::min(
        {static_cast<std::int32_t>(kMostBlockBytes), end - address, 256 - address % 256});
}

// The bytes of a write from `address`: the rest of its page.
std::int32_t PageAt(std::int32_t address, std::int32_t end, int pageSize) {
    const std::int32_t page = std::min(pageSize, kMostBlockBytes);
    return std::min(end - address, page - address % page);
}

bool Is(const std::string& answer, const std::uint8_t (&version)[kVersionLength]) {
    return answer.compare(0, kVersionLength, reinterpret_cast<const char*>(version),
                          kVersionLength) == 0;
}

BlockResult ResultOf(std::uint8_t status) {
    switch (status) {
        case kStatusDone:
            return BlockResult::Done;
        case kStatusWriteFailed:
            return BlockResult::WriteFailed;
        case kStatusNoChip:
        case kStatusBusStuck:
            return BlockResult::NoChip;
        default:
            return BlockResult::NoAnswer;
    }
}

}  // namespace

KorvelBoardChoices KorvelBoardChoices::FromEnvironment() {
    const auto is = [](const char* name, const char* value) {
        const char* set = std::getenv(name);
        return set != nullptr && std::strcmp(set, value) == 0;
    };
    return {is("KORVEL_PROTOCOL", "original"), is("KORVEL_BUS_KHZ", "100")};
}

bool KorvelBoard::AskVersion(std::string& answer) {
    port_.DiscardInputUntilQuiet(kQuietBeforeQuestionMs, kQuietLimitMs);
    openBoard_ = false;
    fastLink_ = false;
    if (!ByteProtocolBoard::AskVersion(answer)) {
        return false;
    }
    // An open board that still has a failed write to report answers so once.
    openBoard_ = Is(answer, kOpenBoardVersion) || Is(answer, kOpenBoardWriteFailed);
    // Tried once here, so that every operation knows whether to use it.
    fastLink_ = openBoard_ && !choices_.originalProtocol && SwitchUp() && SwitchDown();
    return true;
}

void KorvelBoard::BeginChipWork(const ChipAddressing& chip) {
    chip_ = chip;
    wrote_ = false;
    linkUp_ = fastLink_ && SwitchUp();
    if (linkUp_ && !DescribeChip()) {
        SwitchDown();
        linkUp_ = false;
    }
    if (fastLink_ && !linkUp_) {
        fastLink_ = false;  // the rest of the run goes with the five commands
    }
    if (!linkUp_) {
        ByteProtocolBoard::BeginChipWork(chip);
    }
}

bool KorvelBoard::FinishChipWork() {
    if (linkUp_) {
        linkUp_ = false;
        SwitchDown();
        return true;
    }
    return !wrote_ || WritesWentThrough();
}

std::optional<std::uint8_t> KorvelBoard::WriteByte(std::int32_t address, std::uint8_t data) {
    wrote_ = wrote_ || openBoard_;
    return ByteProtocolBoard::WriteByte(address, data);
}

// The open board answers a 'W' before the chip's write cycle is over, and reports a cycle that
// never ended at the next command: the version request says whether the last one did.
bool KorvelBoard::WritesWentThrough() {
    wrote_ = false;
    std::string answer;
    return ByteProtocolBoard::AskVersion(answer) && Is(answer, kOpenBoardVersion);
}

// 'S' at 9600 baud, answered at 9600 baud; then both at the fast rate, where a ping confirms it.
bool KorvelBoard::SwitchUp() {
    port_.DiscardInput();
    const std::uint8_t request[] = {kSwitchCommand, kRate500k};
    port_.Write(request, sizeof request);
    std::uint8_t answer = 0;
    std::vector<std::uint8_t> ping;
    if (port_.ReadWithin(&answer, 1, kSwitchAnswerMs) == 1 && answer == kSwitchCommand &&
        port_.ChangeSpeed(kFastBaud)) {
        std::this_thread::sleep_for(kAfterSwitch);
        port_.DiscardInput();
        if (Exchange(Frame({kPing}), ping, kPing, kSwitchAnswerMs)) {
            return true;
        }
    }
    FallBack();
    return false;
}

bool KorvelBoard::SwitchDown() {
    std::vector<std::uint8_t> answer;
    if (Exchange(Frame({kBackTo9600}), answer, kBackTo9600, kSwitchAnswerMs) &&
        port_.ChangeSpeed(kSlowBaud)) {
        std::this_thread::sleep_for(kAfterSwitch);
        return true;
    }
    FallBack();
    return false;
}

// Back at 9600 baud, with the line quiet long enough for the board to have followed by itself.
void KorvelBoard::FallBack() {
    port_.ChangeSpeed(kSlowBaud);
    port_.DiscardInputUntilQuiet(kQuietBeforeQuestionMs, kQuietLimitMs);
}

bool KorvelBoard::DescribeChip() {
    const auto select = static_cast<std::uint8_t>(kDeviceSelect | chip_.chipAddress << 1);
    const std::uint8_t bus = choices_.slowBus ? kBus100kHz : kBus400kHz;
    std::vector<std::uint8_t> answer;
    return Exchange(Frame({kChipSetup, static_cast<std::uint8_t>(chip_.addressBytes), select, bus,
                           static_cast<std::uint8_t>(chip_.pageSize)}),
                    answer, kChipSetup, kFrameAnswerMs);
}

// After a frame that was damaged or did not come: whatever the board still sends is let pass,
// and the link is confirmed, or set up again from 9600 baud.
bool KorvelBoard::Recover() {
    port_.DiscardInputUntilQuiet(kResyncQuietMs, kQuietLimitMs);
    std::vector<std::uint8_t> answer;
    if (Exchange(Frame({kPing}), answer, kPing, kFrameAnswerMs)) {
        return true;
    }
    FallBack();
    return SwitchUp() && DescribeChip();
}

void KorvelBoard::SendFrame(const std::vector<std::uint8_t>& frame) {
    port_.Write(frame.data(), frame.size());
}

bool KorvelBoard::Exchange(const std::vector<std::uint8_t>& frame,
                           std::vector<std::uint8_t>& answer, std::uint8_t command, int limitMs) {
    SendFrame(frame);
    answer.assign(3, 0);
    return port_.ReadWithin(answer.data(), answer.size(), limitMs) == answer.size() &&
           IsFrame(answer, command);
}

// The answer to an 'R' or 'W' of `request`: whole, undamaged and about that address.
bool KorvelBoard::AnswerOf(const Request& request, std::uint8_t command,
                           std::vector<std::uint8_t>& answer, int limitMs) {
    answer.assign(command == kReadBlock ? ReadAnswerSize(request.count) : kWriteAnswerSize, 0);
    return port_.ReadWithin(answer.data(), answer.size(), limitMs) == answer.size() &&
           IsFrame(answer, command) && Word(&answer[2]) == request.address;
}

// The answers still on their way are read, so that the line is clear for what follows.
void KorvelBoard::TakeAnswers(const std::deque<Request>& requests, std::uint8_t command) {
    std::vector<std::uint8_t> answer;
    for (const Request& request : requests) {
        AnswerOf(request, command, answer, kFrameAnswerMs);
    }
}

BlockOutcome KorvelBoard::ReadBlocks(std::int32_t start, std::int32_t count,
                                     const BlockSink& take) {
    const std::int32_t end = start + count;
    std::int32_t next = start;  // the first address not yet asked for
    std::deque<Request> asked;
    std::vector<std::uint8_t> answer;
    int failures = 0;
    while (!asked.empty() || next < end) {
        // Read requests are small: enough go ahead that the board never waits for one, however
        // long the adapter holds its answers back.
        while (next < end && (asked.size() + 1) * kReadFrameBytes <= kMostBytesAhead) {
            const Request request{next, BlockAt(next, end)};
            SendFrame(Frame({kReadBlock, Low(request.address), High(request.address),
                             static_cast<std::uint8_t>(request.count)}));
            asked.push_back(request);
            next += request.count;
        }
        const Request request = asked.front();
        asked.pop_front();
        if (!AnswerOf(request, kReadBlock, answer, kFrameAnswerMs)) {
            if (++failures > kMostRetries || !Recover()) {
                return {BlockResult::NoAnswer, request.address};
            }
            asked.clear();
            next = request.address;  // asked again from the block at fault
            continue;
        }
        failures = 0;
        const BlockResult result = ResultOf(answer[1]);
        if (result != BlockResult::Done || !take(request.address, &answer[4], request.count)) {
            TakeAnswers(asked, kReadBlock);
            return {result == BlockResult::Done ? BlockResult::Stopped : result, request.address};
        }
    }
    return {BlockResult::Done, end};
}

BlockOutcome KorvelBoard::WritePages(std::int32_t start, std::int32_t count,
                                     const std::uint8_t* bytes, const WriteProgress& progress) {
    const std::int32_t end = start + count;
    std::int32_t next = start;
    std::deque<Request> sent;
    std::size_t ahead = 0;  // bytes of the pages sent and not answered yet
    std::vector<std::uint8_t> answer;
    int failures = 0;
    while (!sent.empty() || next < end) {
        while (next < end &&
               ahead + WriteFrameBytes(PageAt(next, end, chip_.pageSize)) <= kMostBytesAhead) {
            const Request page{next, PageAt(next, end, chip_.pageSize)};
            std::vector<std::uint8_t> frame = {kWritePage, Low(page.address), High(page.address),
                                               static_cast<std::uint8_t>(page.count)};
            frame.insert(frame.end(), bytes + (page.address - start),
                         bytes + (page.address - start + page.count));
            SendFrame(Frame(std::move(frame)));
            sent.push_back(page);
            ahead += WriteFrameBytes(page.count);
            next += page.count;
        }
        const Request page = sent.front();
        sent.pop_front();
        ahead -= WriteFrameBytes(page.count);
        if (!AnswerOf(page, kWritePage, answer, kFrameAnswerMs)) {
            if (++failures > kMostRetries || !Recover()) {
                return {BlockResult::NoAnswer, page.address};
            }
            sent.clear();
            ahead = 0;
            next = page.address;  // written again from the page at fault
            continue;
        }
        failures = 0;
        const BlockResult result = ResultOf(answer[1]);
        if (result != BlockResult::Done) {
            TakeAnswers(sent, kWritePage);
            return {result, page.address};
        }
        if (progress && !progress(page.address + page.count - start)) {
            TakeAnswers(sent, kWritePage);
            return {BlockResult::Stopped, page.address + page.count};
        }
    }
    return {BlockResult::Done, end};
}

}  // namespace korvel
