#include "platform/LowLatency.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <fstream>

#include "platform/PortMap.h"

namespace korvel {

bool SetLowLatency(int fd, int& previous) {
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) != 0) {
        return false;
    }
    previous = serial.flags;
    if ((serial.flags & ASYNC_LOW_LATENCY) != 0) {
        return false;
    }
    serial.flags |= ASYNC_LOW_LATENCY;
    return ioctl(fd, TIOCSSERIAL, &serial) == 0;
}

void RestoreSerialFlags(int fd, int previous) {
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags = previous;
        ioctl(fd, TIOCSSERIAL, &serial);
    }
}

std::string LatencyTimerAdvice(const std::string& device, const std::string& root) {
    const std::string sys = (root == "/" ? "" : root) + "/sys/class/tty/";
    std::ifstream timer(sys + KernelName(device) + "/device/latency_timer");
    int milliseconds = 0;
    if (!(timer >> milliseconds) || milliseconds <= 1) {
        return {};
    }
    return device + " holds received bytes for " + std::to_string(milliseconds) +
           " ms (its latency timer), which slows every operation; this udev rule sets it to "
           "1 ms: ACTION==\"add\", SUBSYSTEM==\"usb-serial\", DRIVER==\"ftdi_sio\", "
           "ATTR{latency_timer}=\"1\"";
}

}  // namespace korvel
