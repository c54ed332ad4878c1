// The serial line to the host: 8 data bits, no parity, one stop bit, at 9600 baud or, for the
// fast link, at 500000. Both directions are buffered and interrupt-driven, so bytes come in and go
// out while the board works on the bus.
#ifndef KORVEL_BOARD_UART_H
#define KORVEL_BOARD_UART_H

#include <stdbool.h>
#include <stdint.h>

typedef enum {
    UART_RECEIVED,
    UART_TIMED_OUT,
    UART_FRAMING_ERROR,  // a byte without its stop bit came: the host runs at another rate
} uart_result;

// At 9600 baud.
void uart_init(void);

// Switches to 500000 baud (fast) or back to 9600. Bytes still waiting to go out are dropped
// (the host no longer listens at their rate; uart_drain first to keep them), as are the bytes
// received so far and a framing error seen so far.
void uart_set_fast(bool fast);

// Waits, asleep, for the next byte from the host, as long as it takes. Bytes that arrived with
// a framing error are not taken for data.
uint8_t uart_receive(void);

// Waits, asleep, until `ms` milliseconds have passed since `start` (a clock_ms value) for the
// next byte. A framing error is told at once, before any byte still waiting.
uart_result uart_receive_until(uint16_t start, uint16_t ms, uint8_t* byte);

// Takes `count` bytes, each within `ms` milliseconds of the one before (the first of the call).
uart_result uart_receive_bytes(uint8_t* bytes, uint8_t count, uint16_t ms);

// True when a byte, or a framing error, waits to be taken.
bool uart_waiting(void);

// Queues bytes; waits only while the queue is full.
void uart_send_bytes(const uint8_t* bytes, uint8_t count);
void uart_send(uint8_t byte);

// Waits until every queued byte has left the line, stop bit and all.
void uart_drain(void);

#endif
