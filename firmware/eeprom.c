#include "eeprom.h"

#include <stddef.h>
#include <util/twi.h>

#include "clock.h"
#include "twi.h"

// A write cycle lasts 5 ms (10 ms on the slowest parts); after 20 ms the chip is not coming.
#define WRITE_CYCLE_LIMIT_MS 20

static twi_result send_device(uint8_t device) {
    const twi_result result = twi_start();
    return result == TWI_OK ? twi_send_address(device) : result;
}

static twi_result send_location(eeprom_location where) {
    twi_result result = send_device(where.device);
    if (result == TWI_OK && where.two_address_bytes) {
        result = twi_send((uint8_t)(where.address >> 8));
    }
    if (result == TWI_OK) {
        result = twi_send((uint8_t)where.address);
    }
    return result;
}

uint8_t eeprom_read(eeprom_location where) {
    uint8_t data = 0xFF;
    twi_result result = send_location(where);
    if (result == TWI_OK) {
        result = send_device(where.device | TW_READ);
    }
    if (result == TWI_OK) {
        result = twi_receive_last(&data);
    }
    twi_stop();
    return result == TWI_OK ? data : 0xFF;
}

// With `data`, writes it; without, only asks for the chip's acknowledge (polling for the end
// of a write cycle). A chip busy with a write cycle does not acknowledge its address, so either
// is tried again until the chip answers or the limit passes.
static bool until_acknowledged(eeprom_location where, const uint8_t* data) {
    const uint16_t start = clock_ms();
    for (;;) {
        twi_result result = data == NULL ? send_device(where.device) : send_location(where);
        if (result == TWI_OK && data != NULL) {
            result = twi_send(*data);
        }
        twi_stop();
        if (result == TWI_OK) {
            return true;
        }
        if (result != TWI_NACK || clock_passed(start, WRITE_CYCLE_LIMIT_MS)) {
            return false;
        }
    }
}

bool eeprom_write(eeprom_location where, uint8_t data) {
    return until_acknowledged(where, &data) && until_acknowledged(where, NULL);
}
