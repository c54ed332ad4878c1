#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/ByteCommands.h"

namespace korvel::protocol {

// Korvel's open board answers the version request with these three bytes. Only after this
// answer does a host use the fast link; with any other answer it speaks the five commands alone.
constexpr std::uint8_t kOpenBoardVersion[kVersionLength] = {'K', '2', '0'};
// With the five commands alone, the open board answers a 'W' once the chip has taken the byte
// and waits for the chip's write cycle when the next command comes. A cycle that did not end is
// reported there: a 'W' is answered with the complement of its byte, and a version request with
// these three bytes instead of the version (once; the next one gets the version again).
constexpr std::uint8_t kOpenBoardWriteFailed[kVersionLength] = {'K', '2', 'W'};

// The switch, at 9600 baud: the host sends kSwitchCommand and the rate's code; the board
// answers kSwitchCommand at 9600 baud, then both run at the fast rate.
constexpr std::uint8_t kSwitchCommand = 'S';
constexpr std::uint8_t kRate500k = 0x01;
constexpr int kFastBaud = 500000;

// At the fast rate every frame, either way, is a command byte, its arguments, and a CRC-16 of
// both (CCITT: polynomial 0x1021, start 0xFFFF, no reflection), low byte first, as are all
// numbers. The board answers a frame with a frame that starts with the same command byte; a
// frame with a wrong CRC, an unknown command or impossible arguments gets no answer.
//
//   'P'                                       -> 'P'                    the switch is confirmed
//   'M' addressBytes select bus pageSize      -> 'M'                    the chip, for what follows
//   'R' address(2) count                      -> 'R' status address(2) bytes[count]
//   'W' address(2) count bytes[count]         -> 'W' status address(2)
//   'Q'                                       -> 'Q', then the board runs at 9600 baud again
//
// 'M': addressBytes 1 or 2; select the device-select byte with pins A2-A0, write bit clear;
// bus kBus100kHz or kBus400kHz; pageSize 1, 8, 16, 32 or 64. 'R' reads 1 to kMostBlockBytes
// bytes in one sequential read, never across a 256-byte boundary; the block bits of a chip with
// one address byte ride in the select byte, taken from address bits 8 to 10. 'W' writes 1 to
// pageSize bytes within one page and answers once the chip's write cycle is over (acknowledge
// polling). An answer whose status is not kStatusDone still carries all its bytes, 0xFF. A host
// may send the next frames before the answers to those before, as long as the frames it has
// sent and had no answer to come to no more than kMostBytesAhead bytes: the board's receive
// buffer holds them (some thirty reads, or two pages), and the board reads the next block while
// one goes out on the line, and takes in the next page while the chip writes one.
constexpr std::uint8_t kPing = 'P';
constexpr std::uint8_t kChipSetup = 'M';
constexpr std::uint8_t kReadBlock = 'R';
constexpr std::uint8_t kWritePage = 'W';
constexpr std::uint8_t kBackTo9600 = 'Q';

constexpr std::uint8_t kBus100kHz = 0;
constexpr std::uint8_t kBus400kHz = 1;

constexpr int kMostBlockBytes = 64;
constexpr int kMostBytesAhead = 192;

// The status of an 'R' or 'W' answer.
constexpr std::uint8_t kStatusDone = 0;
constexpr std::uint8_t kStatusNoChip = 1;       // nothing acknowledged the device address
constexpr std::uint8_t kStatusWriteFailed = 2;  // the chip refused data, or its cycle never ended
constexpr std::uint8_t kStatusBusStuck = 3;     // a bus step never ended

// The board's time limits at the fast rate: a frame whose next byte is this late is dropped; a
// board that has waited this long for a command goes back to 9600 baud, as it does at once on a
// framing error (a host at 9600 baud).
constexpr int kFrameByteLimitMs = 2;
constexpr int kIdleLimitMs = 40;

// CRC-16/CCITT-FALSE of `count` bytes, continuing from `crc` (0xFFFF to start).
std::uint16_t Crc16(const std::uint8_t* bytes, std::size_t count, std::uint16_t crc = 0xFFFF);

}  // namespace korvel::protocol
