#pragma once

namespace korvel {

// Every signal whose default action ends the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT, a crash's
// SIGSEGV, the real-time signals ...) still ends it, but first removes the temporary file of a
// save under way and gives back the serial port's exclusive claim and the driver's flags, which
// outlive the program while another one (the board simulator) keeps the line open. A closed
// pipe (SIGPIPE) becomes a write error, and a file that outgrows the file-size limit (SIGXFSZ)
// one that Save reports, instead of ending the program. SIGKILL cannot be caught: the claim it
// leaves behind, a board simulator gives back, and the next opening of the port takes over once
// nobody has the line open.
void InstallSignalHandling();

}  // namespace korvel
