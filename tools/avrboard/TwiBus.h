#pragma once

#include <cstdint>

#include "tools/avrboard/I2cEeprom.h"

struct avr_t;
struct avr_irq_t;

namespace korvel::sim {

// The ATmega328P's I2C unit (TWI) as simavr 1.6 models it, wired to the chip in the socket.
// Three corrections bring it closer to the real unit, so that a firmware written from the
// datasheet runs here as on a board:
//  - writing a one to TWINT clears it (simavr keeps it set, so a polling firmware never waits);
//  - a device address with the write bit ends with status 0x18/0x20 (simavr gives 0x28/0x30);
//  - each bus step takes its time at the bit rate the firmware set: a start condition one SCL
//    period, a byte with its acknowledge nine (simavr takes a few microseconds for any step).
// A stuck bus (SDA held low): the unit waits for the bus to come free before its start
// condition, which never happens, so no step ever ends and TWINT stays clear.
class TwiBus {
  public:
    // `chip` may be nullptr: an empty socket, where nothing acknowledges and reads give 0xFF.
    TwiBus(avr_t* avr, I2cEeprom* chip, bool stuck);
    TwiBus(const TwiBus&) = delete;
    TwiBus& operator=(const TwiBus&) = delete;

    // The cycle the firmware last started a bus step.
    std::uint64_t LastStep() const { return lastStep_; }

  private:
    void WriteControl(std::uint8_t value);
    void TakeMessage(std::uint32_t value);
    void Stretch(std::uint32_t sclPeriods);

    static void OnControl(avr_t* avr, std::uint16_t addr, std::uint8_t value, void* param);
    static void OnMessage(avr_irq_t* irq, std::uint32_t value, void* param);

    avr_t* avr_;
    I2cEeprom* chip_;
    bool stuck_;
    avr_irq_t* input_ = nullptr;
    // simavr's own handler of the control register, and its TWI unit.
    void (*control_)(avr_t*, std::uint16_t, std::uint8_t, void*) = nullptr;
    void* unit_ = nullptr;
    std::uint64_t lastStep_ = 0;
};

}  // namespace korvel::sim
