#pragma once

#include <cstdint>

namespace korvel::protocol {

// The programmer board's five commands, one byte each, as the host sends them and the simulated
// boards take them. Arguments follow back to back; only 'F', 'R' and 'W' are answered.
constexpr std::uint8_t kVersionRequest = 'F';  // answers three bytes of version text
constexpr std::uint8_t kModeCommand = 'T';     // + mode: one address byte, or two
constexpr std::uint8_t kSelectCommand = 'C';   // + device-select byte
constexpr std::uint8_t kReadCommand = 'R';     // + low [high]: answers the byte there
constexpr std::uint8_t kWriteCommand = 'W';    // + low [high] data: answers data when written

// The mode byte: chips up to the 24C16 take one address byte, the 24C32 and larger two.
constexpr std::uint8_t kOneAddressByte = 0x00;
constexpr std::uint8_t kTwoAddressBytes = 0x01;

// The device-select byte of a 24Cxx with its pins A2-A0 low, write bit clear. Chips with one
// address byte reach their 256-byte blocks through bits 1 to 3 of it.
constexpr std::uint8_t kDeviceSelect = 0xA0;

constexpr int kVersionLength = 3;

}  // namespace korvel::protocol
