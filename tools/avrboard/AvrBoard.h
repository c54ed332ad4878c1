#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/avrboard/I2cEeprom.h"
#include "tools/avrboard/TwiBus.h"

struct avr_t;
struct avr_irq_t;

namespace korvel::sim {

struct AvrBoardSetup {
    std::string firmware;             // the firmware's ELF file
    const ChipFacts* chip = nullptr;  // the chip in the socket; nullptr for an empty socket
    std::vector<std::uint8_t> contents;
    bool stuckBus = false;  // something holds the I2C bus: no bus step ever completes
};

// The programmer board in simulation: the firmware running on an ATmega328P at 16 MHz (simavr),
// its UART taking the host's bytes at the line's speed, a 24Cxx chip on its I2C bus.
class AvrBoard {
  public:
    static constexpr std::uint32_t kClockHz = 16'000'000;

    // nullptr, with the reason in `error`, when the firmware cannot be loaded.
    static std::unique_ptr<AvrBoard> Create(const AvrBoardSetup& setup, std::string& error);
    ~AvrBoard();
    AvrBoard(const AvrBoard&) = delete;
    AvrBoard& operator=(const AvrBoard&) = delete;

    // Runs the processor until its cycle count reaches `cycle` (a sleeping processor may pass
    // it by a little); false when it has stopped for good.
    bool RunUntil(std::uint64_t cycle);
    std::uint64_t Cycle() const;

    // A byte from the host; the UART receives it over one byte time, 10 bits at 9600 baud.
    void Receive(std::uint8_t byte);
    // Called with every byte the firmware starts to send.
    void OnSend(std::function<void(std::uint8_t)> sink) { sink_ = std::move(sink); }
    // Cycles a byte takes on the line at the rate the firmware set.
    std::uint64_t ByteCycles() const;
    // The cycle of the board's latest activity: a byte from the host taken in (the cycle it is
    // all in; now while bytes wait), a byte sent, a step on the bus.
    std::uint64_t LastActivity() const;

    // The chip in the socket; nullptr for an empty socket.
    I2cEeprom* Chip() { return chip_.get(); }

  private:
    explicit AvrBoard(avr_t* avr) : avr_(avr) {}

    void AttachUart();
    void FeedUart();
    void SetBaudRate(std::uint16_t address, std::uint8_t value);

    static void OnUartByte(avr_irq_t* irq, std::uint32_t value, void* param);
    static void OnUartReady(avr_irq_t* irq, std::uint32_t value, void* param);
    static void OnUartFull(avr_irq_t* irq, std::uint32_t value, void* param);
    static void OnBaudRate(avr_t* avr, std::uint16_t address, std::uint8_t value, void* param);

    avr_t* avr_;
    std::unique_ptr<I2cEeprom> chip_;
    std::unique_ptr<TwiBus> bus_;
    std::function<void(std::uint8_t)> sink_;

    avr_irq_t* uartInput_ = nullptr;
    std::deque<std::uint8_t> fromHost_;
    bool uartFull_ = false;
    std::uint64_t receivedAt_ = 0;  // when the last byte taken by the UART is in
    std::uint64_t sentAt_ = 0;      // when the firmware last started to send a byte
    // simavr's own handler of the baud rate register, and its UART.
    void (*baudRate_)(avr_t*, std::uint16_t, std::uint8_t, void*) = nullptr;
    void* uart_ = nullptr;
};

}  // namespace korvel::sim
