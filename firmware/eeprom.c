#include "eeprom.h"

#include <string.h>
#include <util/twi.h>

#include "clock.h"

// A write cycle lasts at most 5 ms on most parts (10 ms on the slowest); after 20 ms the chip
// is not coming. Once a chip has refused its address during a cycle, asking again before the
// 5 ms are over only keeps the bus busy: the next time is the 5 ms and a little.
#define WRITE_CYCLE_LIMIT_TICKS (20 * CLOCK_TICKS_PER_MS)
#define WRITE_CYCLE_TICKS (5 * CLOCK_TICKS_PER_MS + 5)

static bool cycle_running;
static uint8_t cycle_device;
static uint16_t cycle_start;  // clock ticks

static uint8_t write_device;  // the device of the byte write under way

static bool ticks_passed(uint16_t start, uint16_t ticks) {
    return (uint16_t)(clock_ticks() - start) >= ticks;
}
static twi_result send_device(uint8_t device) {
    const twi_result result = twi_start();
    return result == TWI_OK ? twi_send_address(device) : result;
}

static twi_result send_address(eeprom_location where) {
    const uint8_t bytes[2] = {(uint8_t)(where.address >> 8), (uint8_t)where.address};
    return where.two_address_bytes ? twi_send(bytes, 2) : twi_send(&bytes[1], 1);
}

// The status of a transfer that ended with `result`; a refusal of the device address means no
// chip, of any later byte that the chip would not take what it was sent.
static eeprom_status status_of(twi_result result, bool device_answered) {
    switch (result) {
        case TWI_OK:
            return EEPROM_DONE;
        case TWI_NACK:
            return device_answered ? EEPROM_WRITE_FAILED : EEPROM_NO_CHIP;
        default:
            return EEPROM_BUS_STUCK;
    }
}

static void end_write(uint8_t device) {
    twi_stop();
    cycle_running = true;
    cycle_device = device;
    cycle_start = clock_ticks();
}

twi_result eeprom_address(uint8_t device) {
    const bool after_write = cycle_running;
    const uint16_t since = after_write ? cycle_start : clock_ticks();
    cycle_running = false;
    for (;;) {
        const twi_result result = send_device(device);
        if (result != TWI_NACK) {
            return result;
        }
        twi_stop();
        if (ticks_passed(since, WRITE_CYCLE_LIMIT_TICKS)) {
            return TWI_NACK;
        }
        while (after_write && !ticks_passed(since, WRITE_CYCLE_TICKS)) {
        }
    }
}

bool eeprom_wait_for_cycle(void) {
    if (!cycle_running) {
        return true;
    }
    const twi_result result = eeprom_address(cycle_device);
    twi_stop();
    return result == TWI_OK;
}

uint8_t eeprom_read(eeprom_location where) {
    uint8_t data;
    uint16_t unused_crc = 0;
    eeprom_read_block(where, &data, 1, &unused_crc);
    return data;
}

eeprom_status eeprom_read_block(eeprom_location where, uint8_t* bytes, uint8_t count,
                                uint16_t* crc) {
    twi_result result = send_device(where.device);
    const bool device_answered = result == TWI_OK;
    if (result == TWI_OK) {
        result = send_address(where);
    }
    if (result == TWI_OK) {
        result = send_device(where.device | TW_READ);
    }
    if (result == TWI_OK) {
        result = twi_receive(bytes, count, crc);
    }
    twi_stop();
    if (result != TWI_OK) {
        memset(bytes, 0xFF, count);
    }
    return status_of(result, device_answered);
}

eeprom_status eeprom_write_page(eeprom_location where, const uint8_t* bytes, uint8_t count,
                                bool addressed) {
    twi_result result = addressed ? TWI_OK : send_device(where.device);
    const bool device_answered = result == TWI_OK;
    if (result == TWI_OK) {
        result = send_address(where);
    }
    if (result == TWI_OK) {
        result = twi_send(bytes, count);
    }
    if (result != TWI_OK) {
        twi_stop();
        return status_of(result, device_answered);
    }
    end_write(where.device);
    return EEPROM_DONE;
}

twi_result eeprom_start_write(eeprom_location where) {
    write_device = where.device;
    const twi_result result = eeprom_address(where.device);
    return result == TWI_OK ? send_address(where) : result;
}

bool eeprom_end_write(twi_result started, uint8_t data) {
    if (started == TWI_OK && twi_send(&data, 1) == TWI_OK) {
        end_write(write_device);
        return true;
    }
    twi_stop();
    return false;
}

void eeprom_abandon_write(void) {
    twi_stop();  // an address without data starts no write cycle
}
