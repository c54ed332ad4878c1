#include "frames.h"

#include <stdbool.h>
#include <stdint.h>
#include <util/crc16.h>

#include "clock.h"
#include "eeprom.h"
#include "fastlink.h"
#include "twi.h"
#include "uart.h"

typedef enum {
    FRAME_TAKEN,  // a whole frame with the right CRC is in
    FRAME_ANSWERED,
    FRAME_DROPPED,  // cut off, damaged or impossible: no answer
    LINK_QUIT,      // 'Q' answered
    LINK_IDLE,      // no command within the idle limit
    LINK_BROKEN,    // a framing error: the host speaks at another rate
} frame_outcome;

// A frame as it came: its command, its kind (a row of frame_kinds) and its arguments, at most an
// address, a count and a page of data.
typedef struct {
    uint8_t command;
    uint8_t kind;
    uint8_t arguments[3 + MOST_BLOCK_BYTES];
} frame;

// The chip that 'M' named, for the 'R' and 'W' frames after it until the link ends.
static struct {
    bool named;
    bool two_address_bytes;
    uint8_t select;
    uint8_t page_size;
} chip;

// The link as it runs: the host may send the next frame before the answer to the one before,
// so there is room for two. While the chip runs a write cycle the next frame is taken in
// already, if it has started to come.
static struct {
    uint16_t idle_since;  // the clock when the latest answer went out, or the link started
    frame frames[2];
    uint8_t current;  // the frame being served
    bool next_taken;  // the other frame has been taken in meanwhile
    frame_outcome next_outcome;
    bool addressed;  // the chip has been addressed for the page write that comes next
} session;

// The longest answer: an 'R' with its status, address, bytes and CRC.
static uint8_t answer[4 + MOST_BLOCK_BYTES + 2];

static uint16_t crc_of(uint16_t crc, const uint8_t* bytes, uint8_t count) {
    for (uint8_t i = 0; i < count; ++i) {
        crc = _crc_xmodem_update(crc, bytes[i]);
    }
    return crc;
}

// Sends the answer's first `count` bytes and their CRC, computed here or, when `crc` comes
// with them, already.
static void send_answer(uint8_t count, uint16_t crc) {
    answer[count] = (uint8_t)crc;
    answer[count + 1] = (uint8_t)(crc >> 8);
    uart_send_bytes(answer, count + 2);
}

static frame_outcome answer_command_only(uint8_t command) {
    answer[0] = command;
    send_answer(1, crc_of(0xFFFF, answer, 1));
    return FRAME_ANSWERED;
}

static uint16_t address_of(const frame* f) {
    return (uint16_t)(f->arguments[0] | (uint16_t)f->arguments[1] << 8);
}

// The bus location of a chip address; false when the chip's addressing cannot reach it. Chips
// with one address byte take address bits 8 to 10 in bits 1 to 3 of the device address.
static bool locate(uint16_t address, eeprom_location* where) {
    if (!chip.named || (!chip.two_address_bytes && address > 0x7FF)) {
        return false;
    }
    where->two_address_bytes = chip.two_address_bytes;
    where->address = address;
    where->device =
        chip.two_address_bytes ? chip.select : (uint8_t)(chip.select | ((address >> 7) & 0x0E));
    return true;
}

static frame_outcome serve_ping(const frame* f) {
    (void)f;
    return answer_command_only(FRAME_PING);
}

static bool valid_page_size(uint8_t size) {
    return size == 1 || size == 8 || size == 16 || size == 32 || size == 64;
}

static frame_outcome serve_chip_setup(const frame* f) {
    const uint8_t address_bytes = f->arguments[0];
    const uint8_t select = f->arguments[1];
    const uint8_t bus = f->arguments[2];
    const uint8_t page_size = f->arguments[3];
    if ((address_bytes != 1 && address_bytes != 2) || (select & 0xF1) != 0xA0 ||
        (bus != BUS_100KHZ && bus != BUS_400KHZ) || !valid_page_size(page_size)) {
        return FRAME_DROPPED;
    }
    chip.named = true;
    chip.two_address_bytes = address_bytes == 2;
    chip.select = select;
    chip.page_size = page_size;
    twi_set_fast(bus == BUS_400KHZ);
    return answer_command_only(FRAME_CHIP_SETUP);
}

// The first four bytes of an 'R' or 'W' answer.
static void answer_head(uint8_t command, eeprom_status status, const frame* f) {
    answer[0] = command;
    answer[1] = (uint8_t)status;
    answer[2] = f->arguments[0];
    answer[3] = f->arguments[1];
}

// While the answer to one block goes out, the next frame's block is read from the bus. The CRC
// is carried over the bytes as they come off the bus, for a read that goes well.
static frame_outcome serve_read_block(const frame* f) {
    const uint16_t address = address_of(f);
    const uint8_t count = f->arguments[2];
    eeprom_location where;
    if (count == 0 || count > MOST_BLOCK_BYTES || (address & 0xFF) + count > 256 ||
        !locate(address, &where)) {
        return FRAME_DROPPED;
    }
    answer_head(FRAME_READ_BLOCK, EEPROM_DONE, f);
    uint16_t crc = crc_of(0xFFFF, answer, 4);
    const eeprom_status status = eeprom_read_block(where, &answer[4], count, &crc);
    if (status != EEPROM_DONE) {
        answer[1] = (uint8_t)status;
        crc = crc_of(0xFFFF, answer, 4 + count);
    }
    send_answer(4 + count, crc);
    return FRAME_ANSWERED;
}

static frame_outcome receive_frame(frame* f);

// Where a 'W' frame's page goes; false when it is no page of the chip.
static bool locate_page(const frame* f, eeprom_location* where) {
    const uint16_t address = address_of(f);
    const uint8_t count = f->arguments[2];
    return f->command == FRAME_WRITE_PAGE && locate(address, where) && count <= chip.page_size &&
           (address & (chip.page_size - 1)) + count <= chip.page_size;
}

// Waits for the write cycle of the page just written. When the next frame is a page write
// already, the poll that finds the cycle over addresses the chip for it, in one transfer.
static eeprom_status page_written(void) {
    const frame* next = &session.frames[session.current ^ 1];
    eeprom_location where;
    if (session.next_taken && session.next_outcome == FRAME_TAKEN && locate_page(next, &where)) {
        const twi_result result = eeprom_address(where.device);
        session.addressed = result == TWI_OK;
        return result == TWI_OK     ? EEPROM_DONE
               : result == TWI_NACK ? EEPROM_WRITE_FAILED
                                    : EEPROM_BUS_STUCK;
    }
    return eeprom_wait_for_cycle() ? EEPROM_DONE : EEPROM_WRITE_FAILED;
}

// While the chip runs its write cycle for one page, the next frame is taken in from the line,
// if the host has started to send it.
static frame_outcome serve_write_page(const frame* f) {
    eeprom_location where;
    const bool addressed = session.addressed;
    session.addressed = false;
    if (!locate_page(f, &where)) {
        return FRAME_DROPPED;
    }
    eeprom_status status = eeprom_write_page(where, &f->arguments[3], f->arguments[2], addressed);
    if (status == EEPROM_DONE) {
        if (!session.next_taken && uart_waiting()) {
            session.next_outcome = receive_frame(&session.frames[session.current ^ 1]);
            session.next_taken = true;
        }
        status = page_written();
    }
    answer_head(FRAME_WRITE_PAGE, status, f);
    send_answer(4, crc_of(0xFFFF, answer, 4));
    return FRAME_ANSWERED;
}

static frame_outcome serve_back_to_9600(const frame* f) {
    (void)f;
    answer_command_only(FRAME_BACK_TO_9600);
    return LINK_QUIT;
}

// Each frame: its command, its arguments before any data, and what serves it.
static const struct {
    uint8_t command;
    uint8_t argument_count;
    frame_outcome (*serve)(const frame* f);
} frame_kinds[] = {
    {FRAME_PING, 0, serve_ping},
    {FRAME_CHIP_SETUP, 4, serve_chip_setup},
    {FRAME_READ_BLOCK, 3, serve_read_block},
    {FRAME_WRITE_PAGE, 3, serve_write_page},  // and the count's data bytes
    {FRAME_BACK_TO_9600, 0, serve_back_to_9600},
};
#define FRAME_KINDS (sizeof frame_kinds / sizeof frame_kinds[0])

// Bytes of a frame; a byte more than the limit late ends the frame.
static frame_outcome frame_bytes(uint8_t* bytes, uint8_t count) {
    switch (uart_receive_bytes(bytes, count, FRAME_BYTE_LIMIT_MS)) {
        case UART_RECEIVED:
            return FRAME_TAKEN;
        case UART_TIMED_OUT:
            return FRAME_DROPPED;
        default:
            return LINK_BROKEN;
    }
}

// After a byte that starts no frame, or a count that fits none, nothing tells where the next
// frame starts: the bytes are dropped until the line has been quiet for a byte limit.
static frame_outcome skip_until_quiet(void) {
    uint8_t byte;
    while (!clock_passed(session.idle_since, IDLE_LIMIT_MS)) {
        const frame_outcome outcome = frame_bytes(&byte, 1);
        if (outcome != FRAME_TAKEN) {
            return outcome;
        }
    }
    return LINK_IDLE;
}

// Takes the next frame: its command, arguments, the data of a 'W', and the CRC, which must
// match.
static frame_outcome receive_frame(frame* f) {
    if (clock_passed(session.idle_since, IDLE_LIMIT_MS)) {
        return LINK_IDLE;  // bytes that make no valid frame do not keep the link up
    }
    uint8_t command;
    switch (uart_receive_until(session.idle_since, IDLE_LIMIT_MS, &command)) {
        case UART_RECEIVED:
            break;
        case UART_TIMED_OUT:
            return LINK_IDLE;
        default:
            return LINK_BROKEN;
    }
    f->command = command;
    f->kind = 0;
    while (f->kind < FRAME_KINDS && frame_kinds[f->kind].command != command) {
        ++f->kind;
    }
    if (f->kind == FRAME_KINDS) {
        return skip_until_quiet();
    }
    uint8_t length = frame_kinds[f->kind].argument_count;
    frame_outcome outcome = frame_bytes(f->arguments, length);
    if (outcome == FRAME_TAKEN && command == FRAME_WRITE_PAGE) {
        const uint8_t count = f->arguments[2];
        if (count == 0 || count > MOST_BLOCK_BYTES) {
            return skip_until_quiet();
        }
        outcome = frame_bytes(&f->arguments[length], count);
        length += count;
    }
    uint8_t sent_crc[2];
    if (outcome == FRAME_TAKEN) {
        outcome = frame_bytes(sent_crc, 2);
    }
    const uint16_t crc = crc_of(_crc_xmodem_update(0xFFFF, command), f->arguments, length);
    if (outcome == FRAME_TAKEN && (sent_crc[0] | (uint16_t)sent_crc[1] << 8) != crc) {
        return FRAME_DROPPED;
    }
    return outcome;
}

// The next frame, taken in meanwhile or now, served.
static frame_outcome serve_next_frame(void) {
    frame_outcome outcome;
    if (session.next_taken) {
        session.next_taken = false;
        session.current ^= 1;
        outcome = session.next_outcome;
    } else {
        outcome = receive_frame(&session.frames[session.current]);
    }
    if (outcome != FRAME_TAKEN) {
        return outcome;
    }
    const frame* f = &session.frames[session.current];
    return frame_kinds[f->kind].serve(f);
}

void frames_serve(void) {
    uart_set_fast(true);
    chip.named = false;
    session.idle_since = clock_ms();
    session.next_taken = false;
    session.addressed = false;
    frame_outcome outcome;
    while ((outcome = serve_next_frame()) == FRAME_ANSWERED || outcome == FRAME_DROPPED) {
        if (outcome == FRAME_ANSWERED) {
            session.idle_since = clock_ms();
        }
    }
    if (outcome != LINK_BROKEN) {
        uart_drain();
    }
    uart_set_fast(false);
    twi_set_fast(false);
}
