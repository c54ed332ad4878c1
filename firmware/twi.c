#include "twi.h"

#include <avr/io.h>
#include <stdbool.h>
#include <util/crc16.h>
#include <util/twi.h>

#include "clock.h"

// 16 MHz / (16 + 2 * 72) = 100 kHz and 16 MHz / (16 + 2 * 12) = 400 kHz, with prescaler 1.
#define DIVISOR_100KHZ 72
#define DIVISOR_400KHZ 12

// A byte with its acknowledge takes 90 us at 100 kHz; 2 ms means the bus is stuck.
#define STEP_LIMIT_MS 2

void twi_init(void) {
    TWSR = 0;
    twi_set_fast(false);
    TWCR = _BV(TWEN);
}

void twi_set_fast(bool fast) {
    TWBR = fast ? DIVISOR_400KHZ : DIVISOR_100KHZ;
}

// Watches for the end of the bus step just started; on time-out resets the bus unit, which
// lets go of both lines, so the next transfer starts afresh. A byte takes 22.5 us at 400 kHz,
// and the bus stands still from its end until the next step is started: the flag is looked at
// every few cycles, the clock only every few hundred, and the byte loops below keep this inline.
static inline __attribute__((always_inline)) bool step_ended(void) {
    const uint16_t start = clock_ms();
    do {
        for (uint8_t look = 0; look < 100; ++look) {
            if (bit_is_set(TWCR, TWINT)) {
                return true;
            }
        }
    } while (!clock_passed(start, STEP_LIMIT_MS));
    TWCR = 0;
    return false;
}

twi_result twi_start(void) {
    TWCR = _BV(TWINT) | _BV(TWSTA) | _BV(TWEN);
    if (!step_ended()) {
        return TWI_STUCK;
    }
    return TW_STATUS == TW_START || TW_STATUS == TW_REP_START ? TWI_OK : TWI_FAILED;
}

// Sends a byte and tells from the status whether it was acknowledged.
static twi_result send_byte(uint8_t byte, uint8_t acknowledged, uint8_t not_acknowledged) {
    TWDR = byte;
    TWCR = _BV(TWINT) | _BV(TWEN);
    if (!step_ended()) {
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

twi_result twi_send(const uint8_t* bytes, uint8_t count) {
    for (uint8_t i = 0; i < count; ++i) {
        TWDR = bytes[i];
        TWCR = _BV(TWINT) | _BV(TWEN);
        if (!step_ended()) {
            return TWI_STUCK;
        }
        if (TW_STATUS != TW_MT_DATA_ACK) {
            return TW_STATUS == TW_MT_DATA_NACK ? TWI_NACK : TWI_FAILED;
        }
    }
    return TWI_OK;
}

// Acknowledging a byte asks the chip for the next one; the last one goes unacknowledged.
static uint8_t receive_control(bool last) {
    return last ? _BV(TWINT) | _BV(TWEN) : _BV(TWINT) | _BV(TWEA) | _BV(TWEN);
}

twi_result twi_receive(uint8_t* bytes, uint8_t count, uint16_t* crc) {
    TWCR = receive_control(count == 1);
    for (uint8_t i = 0; i < count; ++i) {
        const bool last = i + 1 == count;
        const uint8_t next_control = receive_control(i + 2 == count);
        if (!step_ended()) {
            return TWI_STUCK;
        }
        // The bus stands still until the next step starts: that goes first, the checks after.
        const uint8_t status = TW_STATUS;
        const uint8_t byte = TWDR;
        if (!last) {
            TWCR = next_control;
        }
        if (status != (last ? TW_MR_DATA_NACK : TW_MR_DATA_ACK)) {
            return TWI_FAILED;
        }
        bytes[i] = byte;
        *crc = _crc_xmodem_update(*crc, byte);
    }
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
