#include "tools/avrboard/AvrBoard.h"

#include <avr_uart.h>
#include <sim_avr.h>
#include <sim_elf.h>
#include <sim_io.h>
#include <sim_irq.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

// simavr 1.6 frees neither its pool of IRQs nor their names and hooks when a processor is
// terminated; for the leak checker of sanitizer builds those leaks are simavr's own.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libsimavr.so\n";
}

namespace korvel::sim {

namespace {

// The ATmega328P's UART registers, in data memory.
constexpr std::uint16_t kUcsr0a = 0xC0;
constexpr std::uint16_t kUcsr0c = 0xC2;
constexpr std::uint16_t kUbrr0l = 0xC4;
constexpr std::uint16_t kUbrr0h = 0xC5;
constexpr std::uint8_t kU2x0 = 0x02;
constexpr std::uint8_t kUpm0 = 0x30;

// The board keeps its own time against the wall clock; simavr's own sleeping (usleep while
// the processor sleeps) would only get in the way.
void KeepAwake(avr_t*, avr_cycle_count_t) {}

// simavr's notes go to standard error, errors only: standard output carries the link path.
void LogErrors(avr_t*, const int level, const char* format, va_list arguments) {
    if (level <= LOG_ERROR) {
        std::vfprintf(stderr, format, arguments);
    }
}

void FreeFirmware(elf_firmware_t& firmware) {
    std::free(firmware.flash);
    std::free(firmware.eeprom);
    std::free(firmware.fuse);
    std::free(firmware.lockbits);
    for (std::uint32_t i = 0; i < firmware.symbolcount; ++i) {
        std::free(firmware.symbol[i]);
    }
    std::free(firmware.symbol);
}

}  // namespace

std::unique_ptr<AvrBoard> AvrBoard::Create(const AvrBoardSetup& setup, std::string& error) {
    avr_global_logger_set(LogErrors);
    elf_firmware_t firmware{};
    if (elf_read_firmware(setup.firmware.c_str(), &firmware) != 0) {
        error = "can't read the firmware " + setup.firmware;
        return nullptr;
    }
    avr_t* avr = avr_make_mcu_by_name("atmega328p");
    if (avr == nullptr) {
        FreeFirmware(firmware);
        error = "simavr knows no atmega328p";
        return nullptr;
    }
    avr_init(avr);
    avr->log = LOG_ERROR;
    avr_load_firmware(avr, &firmware);
    FreeFirmware(firmware);
    avr->frequency = kClockHz;
    avr->sleep = KeepAwake;

    std::unique_ptr<AvrBoard> board(new AvrBoard(avr));
    if (setup.chip != nullptr) {
        board->chip_ = std::make_unique<I2cEeprom>(*setup.chip, setup.contents);
    }
    board->AttachUart();
    board->bus_ = std::make_unique<TwiBus>(avr, board->chip_.get(), setup.stuckBus);
    return board;
}

AvrBoard::~AvrBoard() {
    avr_terminate(avr_);
    std::free(avr_);
}

bool AvrBoard::RunUntil(std::uint64_t cycle) {
    while (avr_->cycle < cycle) {
        if (avr_->state == cpu_Done || avr_->state == cpu_Crashed) {
            return false;
        }
        avr_->run(avr_);
    }
    return true;
}

std::uint64_t AvrBoard::Cycle() const {
    return avr_->cycle;
}

std::uint64_t AvrBoard::ByteCycles() const {
    return static_cast<avr_uart_t*>(uart_)->cycles_per_byte;
}

std::uint64_t AvrBoard::LastActivity() const {
    if (!fromHost_.empty()) {
        return avr_->cycle;
    }
    return std::max({receivedAt_, sentAt_, bus_->LastStep()});
}

void AvrBoard::Receive(std::uint8_t byte) {
    fromHost_.push_back(byte);
    FeedUart();
}

void AvrBoard::AttachUart() {
    std::uint32_t flags = 0;
    avr_ioctl(avr_, AVR_IOCTL_UART_GET_FLAGS('0'), &flags);
    // The firmware's bytes are no text for simavr's console, and a status read is no reason to
    // sleep a microsecond.
    flags &= ~(AVR_UART_FLAG_STDIO | AVR_UART_FLAG_POLL_SLEEP);
    avr_ioctl(avr_, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);

    uartInput_ = avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_INPUT);
    avr_irq_register_notify(avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT),
                            OnUartByte, this);
    avr_irq_register_notify(avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUT_XON),
                            OnUartReady, this);
    avr_irq_register_notify(avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUT_XOFF),
                            OnUartFull, this);

    auto& baudRate = avr_->io[AVR_DATA_TO_IO(kUbrr0l)].w;
    baudRate_ = baudRate.c;
    uart_ = baudRate.param;
    baudRate.c = OnBaudRate;
    baudRate.param = this;
}

void AvrBoard::OnBaudRate(avr_t*, std::uint16_t address, std::uint8_t value, void* param) {
    static_cast<AvrBoard*>(param)->SetBaudRate(address, value);
}

// simavr counts a parity bit into every byte, parity or not: without parity a byte is one bit
// shorter (10 bits for 8N1).
void AvrBoard::SetBaudRate(std::uint16_t address, std::uint8_t value) {
    baudRate_(avr_, address, value, uart_);
    if ((avr_->data[kUcsr0c] & kUpm0) == 0) {
        const std::uint64_t divisor = (avr_->data[kUbrr0h] << 8 | avr_->data[kUbrr0l]) + 1;
        const std::uint64_t bitCycles = divisor * ((avr_->data[kUcsr0a] & kU2x0) != 0 ? 8 : 16);
        static_cast<avr_uart_t*>(uart_)->cycles_per_byte -= bitCycles;
    }
}

// simavr's UART keeps a small queue of received bytes and says when it is full; bytes beyond
// it wait here, as they would in the host's serial driver.
void AvrBoard::FeedUart() {
    while (!uartFull_ && !fromHost_.empty()) {
        const std::uint8_t byte = fromHost_.front();
        fromHost_.pop_front();
        // The UART takes its bytes one after the other, each in one byte time.
        receivedAt_ = std::max(receivedAt_, avr_->cycle) + ByteCycles();
        avr_raise_irq(uartInput_, byte);
    }
}

void AvrBoard::OnUartByte(avr_irq_t*, std::uint32_t value, void* param) {
    auto* board = static_cast<AvrBoard*>(param);
    board->sentAt_ = board->avr_->cycle;
    if (board->sink_) {
        board->sink_(static_cast<std::uint8_t>(value));
    }
}

void AvrBoard::OnUartReady(avr_irq_t*, std::uint32_t value, void* param) {
    auto* board = static_cast<AvrBoard*>(param);
    if (value != 0) {
        board->uartFull_ = false;
        board->FeedUart();
    }
}

void AvrBoard::OnUartFull(avr_irq_t*, std::uint32_t value, void* param) {
    static_cast<AvrBoard*>(param)->uartFull_ = value != 0;
}

}  // namespace korvel::sim
