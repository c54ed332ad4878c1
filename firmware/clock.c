#include "clock.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/sleep.h>
#include <util/atomic.h>

static volatile uint16_t milliseconds;

ISR(TIMER1_COMPA_vect) {
    ++milliseconds;
}

void clock_init(void) {
    // 16 MHz / 64 / 250 = 1 kHz, counted by the compare-match interrupt. The interrupt also
    // wakes the board from sleep, so a sleeping wait still notices its time running out.
    OCR1A = 249;
    TCCR1A = 0;
    TCCR1B = _BV(WGM12) | _BV(CS11) | _BV(CS10);
    TIMSK1 = _BV(OCIE1A);
}

uint16_t clock_ms(void) {
    uint16_t now;
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        now = milliseconds;
    }
    return now;
}

uint16_t clock_ticks(void) {
    uint16_t ms;
    uint8_t count;
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        ms = milliseconds;
        count = (uint8_t)TCNT1;
        // The counter may have just started a new millisecond whose interrupt is still to come.
        if (bit_is_set(TIFR1, OCF1A)) {
            ++ms;
            count = (uint8_t)TCNT1;
        }
    }
    return (uint16_t)(ms * CLOCK_TICKS_PER_MS + count);
}

bool clock_passed(uint16_t start, uint16_t ms) {
    // The count may have ticked once just after `start` was taken: one more tick makes sure.
    return (uint16_t)(clock_ms() - start) > ms;
}

void clock_sleep(void) {
    sleep_enable();
    sei();
    sleep_cpu();
    sleep_disable();
}
