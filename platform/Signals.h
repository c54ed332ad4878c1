#pragma once

namespace korvel {

// SIGINT, SIGTERM and SIGHUP end the program as before, but first remove the temporary file of a
// save under way and give back the serial port's exclusive claim and the driver's flags, which
// outlive the program while another one (the board simulator) keeps the line open. A file that
// outgrows the file-size limit (SIGXFSZ) becomes a write error that Save reports, instead of
// ending the program.
void InstallSignalHandling();

}  // namespace korvel
