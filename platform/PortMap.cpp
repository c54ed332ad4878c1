#include "platform/PortMap.h"

#include <cstdlib>

namespace korvel {

std::string PortDevicePath(int portNumber) {
    if (portNumber < 1) {
        return {};
    }
    const std::string variable = "KORVEL_COM" + std::to_string(portNumber);
    const char* named = std::getenv(variable.c_str());
    if (named != nullptr && *named != '\0') {
        return named;
    }
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

}  // namespace korvel
