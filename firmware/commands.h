// The board's original commands at 9600 baud, one byte each with its argument bytes, and the
// switch to the fast link:
//   'F'                      answers the three bytes of the version text
//   'T' mode                 0x00: one address byte (24C00 to 24C16); else two (24C32 and up)
//   'C' select               the device address, 0xA0 with the block bits for 24C04 to 24C16
//   'R' low [high]           answers the byte at that address
//   'W' low [high] data      writes it; answers the data byte, or its complement on failure
//   'S' rate                 answers 'S', then serves the fast link at that rate
#ifndef KORVEL_BOARD_COMMANDS_H
#define KORVEL_BOARD_COMMANDS_H

#include <stdint.h>

// Serves the command that starts with this byte; bytes that start none are ignored.
void commands_serve(uint8_t command);

#endif
