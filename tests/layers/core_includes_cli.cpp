// Must not build: the command line is a face over the programmer, not a part of it.
#include "cli/CliOptions.h"
