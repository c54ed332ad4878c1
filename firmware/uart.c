#include "uart.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <util/atomic.h>

#include "clock.h"
#include "fastlink.h"

// 16 MHz / (16 * (103 + 1)) = 9615 baud, 0.2 % from 9600.
#define SLOW_DIVISOR 103
// 16 MHz / (8 * (3 + 1)) = 500000 baud exactly, with the double-speed bit.
#define FAST_DIVISOR 3

// Room for the host's frames ahead (MOST_BYTES_AHEAD) and, the other way, for two answers of 70
// bytes; 256 bytes let the indices wrap by themselves.
#define RING_SIZE 256
_Static_assert(MOST_BYTES_AHEAD < RING_SIZE, "the host's frames ahead must fit the ring");

// Two bytes at 9600 baud (the data register and the shift register) leave within 2.1 ms.
#define DRAIN_LIMIT_MS 4

static volatile uint8_t rx_ring[RING_SIZE];
static volatile uint8_t rx_head;  // written by the interrupt only
static uint8_t rx_tail;           // written by the main loop only
static volatile bool framing_error;

static volatile uint8_t tx_ring[RING_SIZE];
static uint8_t tx_head;           // written by the main loop only
static volatile uint8_t tx_tail;  // written by the interrupt only
static volatile bool tx_started;  // a byte went out since the last rate change

ISR(USART_RX_vect) {
    const uint8_t status = UCSR0A;  // the frame error bit belongs to the byte in UDR0
    const uint8_t byte = UDR0;
    if (status & _BV(FE0)) {
        framing_error = true;
        return;
    }
    const uint8_t next = (uint8_t)(rx_head + 1);
    if (next != rx_tail) {
        rx_ring[rx_head] = byte;
        rx_head = next;
    }
}

ISR(USART_UDRE_vect) {
    if (tx_tail == tx_head) {
        UCSR0B &= (uint8_t)~_BV(UDRIE0);
        return;
    }
    // Writing TXC0 as one clears it, so that it tells when this byte, the last one so far, has
    // left the line. U2X0 keeps its value.
    UCSR0A = (uint8_t)((UCSR0A & _BV(U2X0)) | _BV(TXC0));
    UDR0 = tx_ring[tx_tail];
    tx_tail = (uint8_t)(tx_tail + 1);
    tx_started = true;
}

static void set_rate(bool fast) {
    // The double-speed bit goes first: the rate follows the divisor's low byte when it is
    // written, so both are in place by then.
    UCSR0A = fast ? _BV(U2X0) : 0;
    UBRR0 = fast ? FAST_DIVISOR : SLOW_DIVISOR;
}

void uart_init(void) {
    set_rate(false);
    UCSR0C = _BV(UCSZ01) | _BV(UCSZ00);
    UCSR0B = _BV(RXCIE0) | _BV(RXEN0) | _BV(TXEN0);
}

// Waits, without sleeping (a finished byte raises no interrupt), until the transmitter is done.
static void wait_until_sent(void) {
    const uint16_t start = clock_ms();
    while (tx_started && bit_is_clear(UCSR0A, TXC0) && !clock_passed(start, DRAIN_LIMIT_MS)) {
    }
}

void uart_set_fast(bool fast) {
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        UCSR0B &= (uint8_t)~_BV(UDRIE0);
        tx_head = tx_tail;
    }
    wait_until_sent();
    set_rate(fast);
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        tx_started = false;
        rx_tail = rx_head;
        framing_error = false;
    }
}

// Takes the next byte if one is waiting; otherwise sleeps until the next interrupt.
static uart_result take_or_sleep(uint8_t* byte) {
    cli();
    if (framing_error) {
        framing_error = false;
        sei();
        return UART_FRAMING_ERROR;
    }
    if (rx_head != rx_tail) {
        sei();
        *byte = rx_ring[rx_tail];
        rx_tail = (uint8_t)(rx_tail + 1);
        return UART_RECEIVED;
    }
    clock_sleep();
    return UART_TIMED_OUT;
}

uint8_t uart_receive(void) {
    uint8_t byte;
    while (take_or_sleep(&byte) != UART_RECEIVED) {
    }
    return byte;
}

uart_result uart_receive_until(uint16_t start, uint16_t ms, uint8_t* byte) {
    for (;;) {
        const uart_result result = take_or_sleep(byte);
        if (result != UART_TIMED_OUT || clock_passed(start, ms)) {
            return result;
        }
    }
}

uart_result uart_receive_bytes(uint8_t* bytes, uint8_t count, uint16_t ms) {
    for (uint8_t i = 0; i < count; ++i) {
        if (!framing_error && rx_head != rx_tail) {  // the quick way for bytes already in
            bytes[i] = rx_ring[rx_tail];
            rx_tail = (uint8_t)(rx_tail + 1);
            continue;
        }
        const uart_result result = uart_receive_until(clock_ms(), ms, &bytes[i]);
        if (result != UART_RECEIVED) {
            return result;
        }
    }
    return UART_RECEIVED;
}

bool uart_waiting(void) {
    return framing_error || rx_head != rx_tail;
}

static void start_sending(void) {
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        UCSR0B |= _BV(UDRIE0);
    }
}

void uart_send_bytes(const uint8_t* bytes, uint8_t count) {
    while (count > 0) {
        // Copied in as many at a time as there is room for.
        uint8_t room = (uint8_t)(tx_tail - tx_head - 1);
        if (room == 0) {
            start_sending();
            cli();
            if (tx_tail == (uint8_t)(tx_head + 1)) {
                clock_sleep();  // the transmitter's interrupt makes room
            }
            sei();
            continue;
        }
        if (room > count) {
            room = count;
        }
        count = (uint8_t)(count - room);
        uint8_t head = tx_head;
        while (room-- > 0) {
            tx_ring[head++] = *bytes++;
        }
        tx_head = head;
    }
    start_sending();
}

void uart_send(uint8_t byte) {
    uart_send_bytes(&byte, 1);
}

void uart_drain(void) {
    while (tx_head != tx_tail) {
        cli();
        if (tx_head != tx_tail) {
            clock_sleep();
        }
        sei();
    }
    wait_until_sent();
}
