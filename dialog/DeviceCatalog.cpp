#include "dialog/DeviceCatalog.h"

#include <strings.h>

namespace korvel {

const DeviceType kDevices[kDeviceCount] = {
    {"24C00", 16, 0x00},     {"24C01", 128, 0x00},    {"24C02", 256, 0x00},  {"24C04", 512, 0x00},
    {"24C08", 1024, 0x00},   {"24C16", 2048, 0x00},   {"24C32", 4096, 0x01}, {"24C64", 8192, 0x01},
    {"24C128", 16384, 0x01}, {"24C256", 32768, 0x01},
};

int FindDevice(const char* name) {
    for (int index = 0; index < kDeviceCount; ++index) {
        if (strcasecmp(kDevices[index].name, name) == 0) {
            return index;
        }
    }
    return -1;
}

}  // namespace korvel
