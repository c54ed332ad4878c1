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
    ChipBehaviour behaviour;
    bool stuckBus = false;  // something holds the I2C bus: no bus step ever completes
};

// The programmer board in simulation: the firmware running on an ATmega328P at 16 MHz (simavr),
// its UART on a serial line to the host, a 24Cxx chip on its I2C bus.
//
// The line carries no rate of its own: each side has one. A byte goes out at its sender's rate,
// ten bits long. A receiver at the same rate (within 3 %) takes it as sent; one at another rate
// gets what a UART makes of it, a framing error: the board's UART a byte with its frame error
// bit set (data 0), the host a zero, as Linux passes a framing error on in raw mode. A burst at
// another rate gives one such byte per byte time of the receiver, the rest of the burst falling
// into it.
class AvrBoard {
  public:
    static constexpr std::uint32_t kClockHz = 16'000'000;

    // nullptr, with the reason in `error`, when the firmware cannot be loaded.
    static std::unique_ptr<AvrBoard> Create(const AvrBoardSetup& setup, std::string& error);
    ~AvrBoard();
    AvrBoard(const AvrBoard&) = delete;
    AvrBoard& operator=(const AvrBoard&) = delete;

    // Runs the processor until its cycle count reaches `cycle` (or the end of the instruction
    // that passes it); false when it has stopped for good.
    bool RunUntil(std::uint64_t cycle);
    std::uint64_t Cycle() const;

    // The rate the host sends and listens at from now on; 9600 baud at the start.
    void SetHostBaud(int baud) { hostBaud_ = baud; }
    // A byte from the host at its rate, on the line as soon as the host's bytes before it are;
    // the cycle its start bit begins.
    std::uint64_t Receive(std::uint8_t byte);
    // The cycle the last byte from the host so far has left the host's side of the line.
    std::uint64_t HostLineFree() const { return hostLineFree_; }
    // Called with every byte the host gets from the board, as the firmware starts to send it.
    void OnSend(std::function<void(std::uint8_t)> sink) { sink_ = std::move(sink); }
    // The rate the firmware's UART runs at, and the cycles a byte takes there.
    int LineBaud() const;
    std::uint64_t ByteCycles() const;
    // The cycle of the board's latest activity: a byte from the host taken in (the cycle it is
    // all in; now while bytes wait), a byte sent, a step on the bus.
    std::uint64_t LastActivity() const;

    // The chip in the socket; nullptr for an empty socket.
    I2cEeprom* Chip() { return chip_.get(); }

  private:
    struct HostByte {
        std::uint8_t byte;
        std::uint64_t start;  // the cycle its start bit begins
        int baud;
    };

    explicit AvrBoard(avr_t* avr) : avr_(avr) {}

    void AttachUart();
    void SetBaudRate(std::uint16_t address, std::uint8_t value);
    std::uint64_t BitCycles() const;
    void FeedUart();
    void ScheduleFeed();
    void SetUartFull(bool full);
    void WriteData(std::uint8_t value);
    void StartShifting(std::uint8_t value);
    void Emit(std::uint8_t value);

    static void OnUartReady(avr_irq_t* irq, std::uint32_t value, void* param);
    static void OnUartFull(avr_irq_t* irq, std::uint32_t value, void* param);
    static void OnBaudRate(avr_t* avr, std::uint16_t address, std::uint8_t value, void* param);
    static void OnDataRegister(avr_t* avr, std::uint16_t address, std::uint8_t value, void* param);
    static std::uint64_t OnFeedTime(avr_t* avr, std::uint64_t when, void* param);
    static std::uint64_t OnShiftEnd(avr_t* avr, std::uint64_t when, void* param);
    static std::uint64_t OnRunLimit(avr_t* avr, std::uint64_t when, void* param);

    avr_t* avr_;
    std::unique_ptr<I2cEeprom> chip_;
    std::unique_ptr<TwiBus> bus_;
    std::function<void(std::uint8_t)> sink_;

    avr_irq_t* uartInput_ = nullptr;
    std::deque<HostByte> fromHost_;
    bool uartFull_ = false;
    int hostBaud_ = 9600;
    std::uint64_t hostLineFree_ = 0;
    std::uint64_t boardGarbledUntil_ = 0;  // the end of the board's last framing error
    std::uint64_t hostGarbledUntil_ = 0;   // the end of the host's last framing error
    std::uint64_t receivedAt_ = 0;         // when the last byte taken by the UART is in
    std::uint64_t sentAt_ = 0;             // when the firmware last started to send a byte
    // The transmitter: the shift register sends one byte while the data register holds the next.
    bool shifting_ = false;
    bool dataFull_ = false;
    std::uint8_t data_ = 0;
    // simavr's own handler of the baud rate register, and its UART.
    void (*baudRate_)(avr_t*, std::uint16_t, std::uint8_t, void*) = nullptr;
    void* uart_ = nullptr;
};

}  // namespace korvel::sim
