// Bytes, blocks and pages to and from a 24Cxx chip, and the chip's write cycle.
#ifndef KORVEL_BOARD_EEPROM_H
#define KORVEL_BOARD_EEPROM_H

#include <stdbool.h>
#include <stdint.h>

#include "fastlink.h"
#include "twi.h"

// Where a byte lives: the device address (0xA0 with the block bits, write bit clear), and the
// address within it, sent as one byte, or as two (high byte first) for 24C32 and larger.
typedef struct {
    uint8_t device;
    uint16_t address;
    bool two_address_bytes;
} eeprom_location;

// How a block or page transfer ended, as the fast link reports it.
typedef enum {
    EEPROM_DONE = STATUS_DONE,
    EEPROM_NO_CHIP = STATUS_NO_CHIP,            // nothing acknowledged the device address
    EEPROM_WRITE_FAILED = STATUS_WRITE_FAILED,  // data refused, or the write cycle never ended
    EEPROM_BUS_STUCK = STATUS_BUS_STUCK,        // a bus step never ended
} eeprom_status;

// A write leaves the chip in its write cycle, during which it does not acknowledge its device
// address; the next transfer waits for the cycle to end first.
// Waits for the cycle of the latest write, if it has not been waited for yet: false when it
// did not end within 20 ms of the write.
bool eeprom_wait_for_cycle(void);

// Sends the device address (write bit clear) until the chip acknowledges it, waiting so for the
// cycle of the latest write, and leaves the transfer open then. Gives up 20 ms after the latest
// write (TWI_NACK: its cycle never ended), or, with no write before, 20 ms from now.
twi_result eeprom_address(uint8_t device);

// The byte at `where`; 0xFF, as the bus's pull-ups give, when the chip does not answer.
uint8_t eeprom_read(eeprom_location where);

// `count` bytes from `where` on in one sequential read, each carried into `crc` (the fast
// link's CRC-16) as it comes; all 0xFF unless EEPROM_DONE, and `crc` then of no use.
eeprom_status eeprom_read_block(eeprom_location where, uint8_t* bytes, uint8_t count,
                                uint16_t* crc);

// Writes `count` bytes within one page, in the transfer eeprom_address left open when
// `addressed`; the chip then runs its write cycle. EEPROM_DONE when the chip took every byte.
eeprom_status eeprom_write_page(eeprom_location where, const uint8_t* bytes, uint8_t count,
                                bool addressed);

// A byte write in two halves, so that the bus is addressed while the byte is still on its way:
// the start sends the device address and the address, the end the byte and the stop. The start
// waits for the cycle of a write before it, in the same transfer (TWI_NACK when that cycle did
// not end), or for a chip that does not answer, up to 20 ms. The write cycle is left running. A
// start that is not followed by its end must be ended by eeprom_abandon_write.
twi_result eeprom_start_write(eeprom_location where);
bool eeprom_end_write(twi_result started, uint8_t data);
void eeprom_abandon_write(void);

#endif
