// Korvel programmer board: an ATmega328P at 16 MHz between the host's serial line and a 24Cxx
// chip on the I2C bus. Commands, one byte each, with their argument bytes:
//   'F'                      answers the three bytes of the version text
//   'T' mode                 0x00: one address byte (24C00 to 24C16); else two (24C32 and up)
//   'C' select               the device address, 0xA0 with the block bits for 24C04 to 24C16
//   'R' low [high]           answers the byte at that address
//   'W' low [high] data      writes it; answers the data byte, or its complement on failure
#include <avr/interrupt.h>
#include <stdbool.h>
#include <stdint.h>

#include "clock.h"
#include "eeprom.h"
#include "twi.h"
#include "uart.h"

static const char version[3] = {'1', '.', '0'};

// The host sends a command with its argument bytes in one write, so they come back to back, one
// byte time (1.04 ms at 9600 baud) apart. A command whose next byte has not come 4 ms after the
// last one (three byte times of slack, for an adapter that passes a command on in two pieces)
// was cut off: the host went away in the middle of it. It is dropped, so that the next command,
// usually 'F' from a fresh detection, is not taken for its missing arguments; no new host can
// have opened the port and sent its first byte that soon.
#define ARGUMENT_LIMIT_MS 4

static bool two_address_bytes;
static uint8_t select_byte = 0xA0;

// Read, Verify and Blank check go through the chip address after address. While the host sends
// the next read command (three or four bytes, some 3 ms on the line) the board already fetches
// the byte that command will most likely ask for, so that its answer goes out at once instead of
// after a transfer on the bus. Any other command forgets it.
static bool ahead_valid;
static eeprom_location ahead_where;
static uint8_t ahead_data;

static bool receive_argument(uint8_t* byte) {
    return uart_receive_within(ARGUMENT_LIMIT_MS, byte);
}

// Reads the address bytes of 'R' and 'W', low byte first.
static bool receive_location(eeprom_location* where) {
    uint8_t low;
    uint8_t high = 0;
    if (!receive_argument(&low) || (two_address_bytes && !receive_argument(&high))) {
        return false;
    }
    where->device = (uint8_t)(select_byte & 0xFE);
    where->address = (uint16_t)(((uint16_t)high << 8) | low);
    where->two_address_bytes = two_address_bytes;
    return true;
}

static bool same_location(eeprom_location a, eeprom_location b) {
    return a.device == b.device && a.address == b.address &&
           a.two_address_bytes == b.two_address_bytes;
}

static void read_and_read_ahead(eeprom_location where) {
    uart_send(ahead_valid && same_location(where, ahead_where) ? ahead_data : eeprom_read(where));
    ++where.address;
    ahead_where = where;
    ahead_data = eeprom_read(where);
    ahead_valid = true;
}

static void serve(uint8_t command) {
    eeprom_location where;
    uint8_t byte;
    if (command != 'R') {
        ahead_valid = false;
    }
    switch (command) {
        case 'F':
            for (uint8_t i = 0; i < sizeof version; ++i) {
                uart_send((uint8_t)version[i]);
            }
            break;
        case 'T':
            if (receive_argument(&byte)) {
                two_address_bytes = byte != 0x00;
            }
            break;
        case 'C':
            if (receive_argument(&byte)) {
                select_byte = byte;
            }
            break;
        case 'R':
            if (receive_location(&where)) {
                read_and_read_ahead(where);
            } else {
                ahead_valid = false;
            }
            break;
        case 'W':
            if (receive_location(&where) && receive_argument(&byte)) {
                uart_send(eeprom_write(where, byte) ? byte : (uint8_t)~byte);
            }
            break;
        default:
            break;  // not a command: ignored
    }
}

int main(void) {
    clock_init();
    uart_init();
    twi_init();
    sei();
    for (;;) {
        serve(uart_receive());
    }
}
