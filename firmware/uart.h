// The serial line to the host: 9600 baud, 8 data bits, no parity, one stop bit.
#ifndef KORVEL_BOARD_UART_H
#define KORVEL_BOARD_UART_H

#include <stdbool.h>
#include <stdint.h>

void uart_init(void);

// Waits, asleep, for the next byte from the host, as long as it takes.
uint8_t uart_receive(void);

// Waits, asleep, at most `ms` milliseconds for the next byte; false when none came.
bool uart_receive_within(uint16_t ms, uint8_t* byte);

void uart_send(uint8_t byte);

#endif
