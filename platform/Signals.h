#pragma once

namespace korvel {

// SIGINT, SIGTERM and SIGHUP end the program as before, but remove the temporary file of a save
// under way first; a file that outgrows the file-size limit (SIGXFSZ) becomes a write error that
// Save reports, instead of ending the program.
void InstallSignalHandling();

}  // namespace korvel
