#include "twi.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <stdbool.h>
#include <util/twi.h>

#include "clock.h"

// 16 MHz / (16 + 2 * 72) = 100 kHz with prescaler 1. The older 24C01 and 24C02 parts allow no
// more than 100 kHz, so the whole family gets it.
#define BIT_RATE_DIVISOR 72

// A byte with its acknowledge takes 90 us at 100 kHz; 2 ms means the bus is stuck.
#define STEP_LIMIT_MS 2

void twi_init(void) {
    TWSR = 0;
    TWBR = BIT_RATE_DIVISOR;
    TWCR = _BV(TWEN);
}

// The end of a step wakes the board once. TWINT stays set until the next step starts, so the
// interrupt is switched off here; writing TWINT as zero leaves it set, and TWSTA is done with.
ISR(TWI_vect) {
    TWCR = _BV(TWEN);
}

// Runs one bus step and sleeps until its end; on time-out resets the bus unit, which lets go
// of both lines, so the next transfer starts afresh.
static bool run_step(uint8_t control) {
    TWCR = control | _BV(TWIE);
    const uint16_t start = clock_ms();
    for (;;) {
        cli();
        if (bit_is_set(TWCR, TWINT)) {
            sei();
            return true;
        }
        if (clock_passed(start, STEP_LIMIT_MS)) {
            sei();
            TWCR = 0;
            return false;
        }
        clock_sleep();
    }
}

twi_result twi_start(void) {
    if (!run_step(_BV(TWINT) | _BV(TWSTA) | _BV(TWEN))) {
        return TWI_STUCK;
    }
    return TW_STATUS == TW_START || TW_STATUS == TW_REP_START ? TWI_OK : TWI_FAILED;
}

// Sends a byte and tells from the status whether it was acknowledged.
static twi_result send_byte(uint8_t byte, uint8_t acknowledged, uint8_t not_acknowledged) {
    TWDR = byte;
    if (!run_step(_BV(TWINT) | _BV(TWEN))) {
        return TWI_STUCK;
    }
    if (TW_STATUS == acknowledged) {
        return TWI_OK;
    }
    return TW_STATUS == not_acknowledged ? TWI_NACK : TWI_FAILED;
}

twi_result twi_send_address(uint8_t address) {
    if (address & TW_READ) {
        return send_byte(address, TW_MR_SLA_ACK, TW_MR_SLA_NACK);
    }
    return send_byte(address, TW_MT_SLA_ACK, TW_MT_SLA_NACK);
}

twi_result twi_send(uint8_t byte) {
    return send_byte(byte, TW_MT_DATA_ACK, TW_MT_DATA_NACK);
}

twi_result twi_receive_last(uint8_t* byte) {
    if (!run_step(_BV(TWINT) | _BV(TWEN))) {
        return TWI_STUCK;
    }
    if (TW_STATUS != TW_MR_DATA_NACK) {
        return TWI_FAILED;
    }
    *byte = TWDR;
    return TWI_OK;
}

void twi_stop(void) {
    if (bit_is_clear(TWCR, TWEN)) {
        return;  // reset after a stuck step: there is no transfer to end
    }
    TWCR = _BV(TWINT) | _BV(TWSTO) | _BV(TWEN);
    const uint16_t start = clock_ms();
    while (bit_is_set(TWCR, TWSTO)) {
        if (clock_passed(start, STEP_LIMIT_MS)) {
            TWCR = 0;
            return;
        }
    }
}
