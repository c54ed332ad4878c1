// Korvel programmer board: an ATmega328P at 16 MHz between the host's serial line and a 24Cxx
// chip on the I2C bus. It speaks the original one-byte commands at 9600 baud (commands.h) and,
// when the host asks for it, the fast link's frames at 500000 baud (frames.h).
#include <avr/interrupt.h>

#include "clock.h"
#include "commands.h"
#include "twi.h"
#include "uart.h"

int main(void) {
    clock_init();
    uart_init();
    twi_init();
    sei();
    for (;;) {
        commands_serve(uart_receive());
    }
}
