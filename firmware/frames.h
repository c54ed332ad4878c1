// The fast link: frames at 500000 baud, from the switch until the board goes back to 9600.
#ifndef KORVEL_BOARD_FRAMES_H
#define KORVEL_BOARD_FRAMES_H

// Switches to 500000 baud and serves frames until the host sends 'Q', waits 40 ms without a
// command, or speaks at another rate (a framing error); then the board is at 9600 baud again,
// its bus at 100 kHz.
void frames_serve(void);

#endif
