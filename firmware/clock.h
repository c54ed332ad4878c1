// A millisecond count for the board's bounded waits.
#ifndef KORVEL_BOARD_CLOCK_H
#define KORVEL_BOARD_CLOCK_H

#include <stdbool.h>
#include <stdint.h>

void clock_init(void);

// Milliseconds since clock_init, wrapping at 65536.
uint16_t clock_ms(void);

// True once at least `ms` whole milliseconds have passed since `start` (a clock_ms value).
bool clock_passed(uint16_t start, uint16_t ms);

// Ticks of 4 us since clock_init, wrapping every 262 ms: for waits that must end on time to
// within a few microseconds.
#define CLOCK_TICKS_PER_MS 250
uint16_t clock_ticks(void);

// Called with interrupts off, right after finding nothing to do: enables them and sleeps until
// the next interrupt (a byte, the bus, the millisecond tick). SEI lets exactly one more
// instruction, the SLEEP, run before an interrupt, so none is missed between check and sleep.
void clock_sleep(void);

#endif
