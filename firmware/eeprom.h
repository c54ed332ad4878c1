// One byte at a time to and from a 24Cxx chip.
#ifndef KORVEL_BOARD_EEPROM_H
#define KORVEL_BOARD_EEPROM_H

#include <stdbool.h>
#include <stdint.h>

// Where a byte lives: the device address (0xA0 with the block bits, write bit clear), and the
// address within it, sent as one byte, or as two (high byte first) for 24C32 and larger.
typedef struct {
    uint8_t device;
    uint16_t address;
    bool two_address_bytes;
} eeprom_location;

// The byte at `where`; 0xFF, as the bus's pull-ups give, when the chip does not answer.
uint8_t eeprom_read(eeprom_location where);

// Writes one byte and waits, at most 20 ms, for the chip to finish its write cycle; false when
// the chip never took the byte or never came back.
bool eeprom_write(eeprom_location where, uint8_t data);

#endif
