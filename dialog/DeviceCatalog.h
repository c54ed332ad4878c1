#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel {

// One supported EEPROM type.
struct DeviceType {
    const char* name;
    std::int32_t size;         // bytes
    std::uint8_t addressMode;  // addressing-mode byte: 0x00 one address byte, 0x01 two
};

constexpr int kDeviceCount = 10;
// The addressing-mode byte of the types that take two address bytes; the others take one and
// reach their 256-byte blocks through the select byte.
constexpr std::uint8_t kTwoAddressBytesMode = 0x01;
constexpr std::int32_t kLargestDeviceSize = 32768;
// The image buffer holds the largest device and one byte more.
constexpr std::size_t kImageBufferSize = kLargestDeviceSize + 1;

// The catalogue, in the order of the device list.
extern const DeviceType kDevices[kDeviceCount];

inline bool TakesTwoAddressBytes(int device) {
    return kDevices[device].addressMode == kTwoAddressBytesMode;
}

// Catalogue position of a type name (any letter case), or -1 when no type has it.
int FindDevice(const char* name);

}  // namespace korvel
