// Must not build: the command line is a face over the dialog, not a part of it.
#include "cli/TerminalHost.h"
