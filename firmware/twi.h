// The I2C bus to the chip, as master at 100 or 400 kHz. Every step waits a bounded time: a bus that
// never frees (SDA or SCL held low) ends the step with TWI_STUCK instead of hanging the board.
#ifndef KORVEL_BOARD_TWI_H
#define KORVEL_BOARD_TWI_H

#include <stdbool.h>
#include <stdint.h>

typedef enum {
    TWI_OK,      // the step completed; a sent byte was acknowledged
    TWI_NACK,    // a sent byte was not acknowledged
    TWI_STUCK,   // the step did not complete in time; the bus unit has been reset
    TWI_FAILED,  // the bus answered with something else (lost arbitration, bus error)
} twi_result;

// At 100 kHz, which every 24Cxx allows (the older 24C01 and 24C02 no more).
void twi_init(void);

// 400 kHz (fast) or 100 kHz, from the next step on.
void twi_set_fast(bool fast);

// A start condition, or a repeated start within a transfer.
twi_result twi_start(void);

// Sends a device address with its read/write bit, after a start.
twi_result twi_send_address(uint8_t address);

// Sends bytes to the addressed device, up to the first one it does not acknowledge.
twi_result twi_send(const uint8_t* bytes, uint8_t count);

// Receives the bytes of a read; every byte but the last is acknowledged. Each byte is carried
// into `crc` (the fast link's CRC-16) while the bus already fetches the next, so that an answer
// is ready the moment its last byte is in.
twi_result twi_receive(uint8_t* bytes, uint8_t count, uint16_t* crc);

// A stop condition; it ends every transfer, whatever became of it.
void twi_stop(void);

#endif
