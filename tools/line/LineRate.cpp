// The kernel's own termios2 carries the rates as numbers; <termios.h> would clash with it.
#include "tools/line/LineRate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace korvel::sim {

HostRates ReadHostRates(int master) {
    termios2 settings{};
    if (ioctl(master, TCGETS2, &settings) != 0) {
        return {};
    }
    return {static_cast<int>(settings.c_ospeed), static_cast<int>(settings.c_ispeed)};
}

}  // namespace korvel::sim
