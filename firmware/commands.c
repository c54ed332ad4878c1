#include "commands.h"

#include <stdbool.h>

#include "clock.h"
#include "eeprom.h"
#include "fastlink.h"
#include "frames.h"
#include "uart.h"

// The host sends a command's bytes back to back, about a millisecond apart. A command whose
// next byte is more than this late was cut off (the host went away mid-command) and is dropped,
// so that the next command, usually 'F' from a fresh detection, is not taken for its missing
// arguments.
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

// A 'W' is answered once the chip has taken the byte; its write cycle runs on while the host
// sends the next command (5.2 ms on the line with two address bytes, longer than the cycle).
// The next command that uses the bus or answers waits for the cycle's end first. A cycle that
// never ended is reported once, to the next 'W' (its complement) or 'F' (the version's "K2W").
static bool write_failure_unreported;

static void finish_write(void) {
    if (!eeprom_wait_for_cycle()) {
        write_failure_unreported = true;
    }
}

// The next argument byte, due within the limit of `since` (a clock_ms value): the last byte
// in, or the start of bus work that ran meanwhile.
static bool receive_argument_since(uint16_t since, uint8_t* byte) {
    return uart_receive_until(since, ARGUMENT_LIMIT_MS, byte) == UART_RECEIVED;
}

static bool receive_argument(uint8_t* byte) {
    return receive_argument_since(clock_ms(), byte);
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

static void send_text(const char* text) {
    for (; *text != '\0'; ++text) {
        uart_send((uint8_t)*text);
    }
}

static void answer_version(void) {
    finish_write();
    send_text(write_failure_unreported ? OPEN_BOARD_WRITE_FAILED : OPEN_BOARD_VERSION);
    write_failure_unreported = false;
}

static void read_and_read_ahead(eeprom_location where) {
    finish_write();
    uart_send(ahead_valid && same_location(where, ahead_where) ? ahead_data : eeprom_read(where));
    ++where.address;
    ahead_where = where;
    ahead_data = eeprom_read(where);
    ahead_valid = true;
}

// The chip is addressed while the data byte is still on the line, so that only the byte itself
// is left for the bus once it is in; the addressing waits out the write cycle before it.
static void write_byte(eeprom_location where) {
    const uint16_t address_in = clock_ms();
    const bool earlier_failed = write_failure_unreported;
    const twi_result started = earlier_failed ? TWI_FAILED : eeprom_start_write(where);
    uint8_t data;
    if (!receive_argument_since(address_in, &data)) {
        eeprom_abandon_write();
        return;
    }
    write_failure_unreported = false;
    const bool written = !earlier_failed && eeprom_end_write(started, data);
    uart_send(written ? data : (uint8_t)~data);
}

static void switch_rate(void) {
    uint8_t rate;
    if (!receive_argument(&rate) || rate != RATE_500K) {
        return;
    }
    finish_write();
    uart_send(SWITCH_COMMAND);
    uart_drain();
    frames_serve();
}

void commands_serve(uint8_t command) {
    eeprom_location where;
    uint8_t byte;
    if (command != 'R') {
        ahead_valid = false;
    }
    switch (command) {
        case 'F':
            answer_version();
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
            if (receive_location(&where)) {
                write_byte(where);
            }
            break;
        case SWITCH_COMMAND:
            switch_rate();
            break;
        default:
            break;  // not a command: ignored
    }
}
