#include "uart.h"

#include <avr/interrupt.h>
#include <avr/io.h>

#include "clock.h"

// 16 MHz / (16 * (103 + 1)) = 9615 baud, 0.2 % from 9600.
#define BAUD_DIVISOR 103

// Bytes that arrive while the board talks to the chip wait here. The host sends at most five
// bytes before it waits for a reply, so 64 leave room for a host that does not wait.
#define RING_SIZE 64

static volatile uint8_t ring[RING_SIZE];
static volatile uint8_t ring_head;  // written by the interrupt only
static uint8_t ring_tail;           // written by the main loop only

ISR(USART_RX_vect) {
    const uint8_t byte = UDR0;
    const uint8_t next = (uint8_t)((ring_head + 1) % RING_SIZE);
    if (next != ring_tail) {
        ring[ring_head] = byte;
        ring_head = next;
    }
}

void uart_init(void) {
    UBRR0 = BAUD_DIVISOR;
    UCSR0A = 0;
    UCSR0C = _BV(UCSZ01) | _BV(UCSZ00);
    UCSR0B = _BV(RXCIE0) | _BV(RXEN0) | _BV(TXEN0);
}

// Takes the next byte if one is waiting; otherwise sleeps until the next interrupt.
static bool take_or_sleep(uint8_t* byte) {
    cli();
    if (ring_head != ring_tail) {
        sei();
        *byte = ring[ring_tail];
        ring_tail = (uint8_t)((ring_tail + 1) % RING_SIZE);
        return true;
    }
    clock_sleep();
    return false;
}

uint8_t uart_receive(void) {
    uint8_t byte;
    while (!take_or_sleep(&byte)) {
    }
    return byte;
}

bool uart_receive_within(uint16_t ms, uint8_t* byte) {
    const uint16_t start = clock_ms();
    while (!take_or_sleep(byte)) {
        if (clock_passed(start, ms)) {
            return false;
        }
    }
    return true;
}

void uart_send(uint8_t byte) {
    // The transmitter frees its data register within one byte time.
    loop_until_bit_is_set(UCSR0A, UDRE0);
    UDR0 = byte;
}
