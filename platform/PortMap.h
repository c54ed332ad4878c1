#pragma once

#include <string>

namespace korvel {

// The serial device that stands for port COMn: the environment variable KORVEL_COMn when set,
// else /dev/ttyS(n-1). Port numbers below 1 name no device and give an empty path.
std::string PortDevicePath(int portNumber);

}  // namespace korvel
