// The I2C bus to the chip, as master at 100 kHz. Every step waits a bounded time: a bus that
// never frees (SDA or SCL held low) ends the step with TWI_STUCK instead of hanging the board.
#ifndef KORVEL_BOARD_TWI_H
#define KORVEL_BOARD_TWI_H

#include <stdint.h>

typedef enum {
    TWI_OK,      // the step completed; a sent byte was acknowledged
    TWI_NACK,    // a sent byte was not acknowledged
    TWI_STUCK,   // the step did not complete in time; the bus unit has been reset
    TWI_FAILED,  // the bus answered with something else (lost arbitration, bus error)
} twi_result;

void twi_init(void);

// A start condition, or a repeated start within a transfer.
twi_result twi_start(void);

// Sends a device address with its read/write bit, after a start.
twi_result twi_send_address(uint8_t address);

// Sends a byte to the addressed device.
twi_result twi_send(uint8_t byte);

// Receives the last byte of a read, answered with no acknowledge.
twi_result twi_receive_last(uint8_t* byte);

// A stop condition; it ends every transfer, whatever became of it.
void twi_stop(void);

#endif
