// Must not build: a simulated board knows the chips from its own table, never from the host's.
#include "programmer/ChipTypes.h"
