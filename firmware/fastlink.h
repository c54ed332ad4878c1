// The fast link's numbers, as the board uses them. They mirror protocol/FastLink.h, the host's
// and the simulated boards' copy, which is the one that counts: change both together.
#ifndef KORVEL_BOARD_FASTLINK_H
#define KORVEL_BOARD_FASTLINK_H

// The board's version answer, and the one that reports a write cycle that never ended.
#define OPEN_BOARD_VERSION "K20"
#define OPEN_BOARD_WRITE_FAILED "K2W"

// At 9600 baud: 'S' and the rate's code switch to the fast rate; the board answers 'S' first.
#define SWITCH_COMMAND 'S'
#define RATE_500K 0x01

// The frames at the fast rate: command byte, arguments, CRC-16/CCITT-FALSE low byte first.
#define FRAME_PING 'P'
#define FRAME_CHIP_SETUP 'M'
#define FRAME_READ_BLOCK 'R'
#define FRAME_WRITE_PAGE 'W'
#define FRAME_BACK_TO_9600 'Q'

#define BUS_100KHZ 0
#define BUS_400KHZ 1

#define MOST_BLOCK_BYTES 64
// The host keeps no more than this of its frames unanswered; the receive ring holds them.
#define MOST_BYTES_AHEAD 192

#define STATUS_DONE 0
#define STATUS_NO_CHIP 1
#define STATUS_WRITE_FAILED 2
#define STATUS_BUS_STUCK 3

#define FRAME_BYTE_LIMIT_MS 2
#define IDLE_LIMIT_MS 40

#endif
