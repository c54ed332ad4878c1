#include "tools/avrboard/AvrBoard.h"

#include <avr_uart.h>
#include <sim_avr.h>
#include <sim_elf.h>
#include <sim_interrupts.h>
#include <sim_io.h>
#include <sim_irq.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
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
constexpr std::uint16_t kUdr0 = 0xC6;
constexpr std::uint8_t kU2x0 = 0x02;
constexpr std::uint8_t kUpm0 = 0x30;

constexpr std::uint16_t kFramingError = 0x8000;  // simavr's mark of such a byte in its queue
constexpr int kBitsPerByte = 10;                 // the host's bytes: 8N1

// A UART takes bytes from a sender whose rate is within 3 % of its own.
bool SameRate(int a, int b) {
    return std::abs(a - b) * 100 <= 3 * b;
}

std::uint64_t HostByteCycles(int baud) {
    return kBitsPerByte * static_cast<std::uint64_t>(AvrBoard::kClockHz) / baud;
}

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
        board->chip_ = std::make_unique<I2cEeprom>(*setup.chip, setup.contents, setup.behaviour);
    }
    board->AttachUart();
    board->bus_ = std::make_unique<TwiBus>(avr, board->chip_.get(), setup.stuckBus);
    return board;
}

AvrBoard::~AvrBoard() {
    avr_terminate(avr_);
    std::free(avr_);
}

// A sleeping processor skips ahead to its next timer; this one makes it stop at the cycle asked
// for, so that a byte the host sends then goes on the line then.
std::uint64_t AvrBoard::OnRunLimit(avr_t*, std::uint64_t, void*) {
    return 0;
}

bool AvrBoard::RunUntil(std::uint64_t cycle) {
    if (cycle > avr_->cycle) {
        avr_cycle_timer_register(avr_, cycle - avr_->cycle, OnRunLimit, this);
    }
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

int AvrBoard::LineBaud() const {
    return static_cast<int>(kClockHz / BitCycles());
}

std::uint64_t AvrBoard::ByteCycles() const {
    return static_cast<avr_uart_t*>(uart_)->cycles_per_byte;
}

std::uint64_t AvrBoard::BitCycles() const {
    const std::uint64_t divisor = (avr_->data[kUbrr0h] << 8 | avr_->data[kUbrr0l]) + 1;
    return divisor * ((avr_->data[kUcsr0a] & kU2x0) != 0 ? 8 : 16);
}

std::uint64_t AvrBoard::LastActivity() const {
    if (!fromHost_.empty()) {
        return avr_->cycle;
    }
    return std::max({receivedAt_, sentAt_, bus_->LastStep()});
}

std::uint64_t AvrBoard::Receive(std::uint8_t byte) {
    const std::uint64_t start = std::max(hostLineFree_, avr_->cycle);
    hostLineFree_ = start + HostByteCycles(hostBaud_);
    fromHost_.push_back({byte, start, hostBaud_});
    ScheduleFeed();
    return start;
}

void AvrBoard::AttachUart() {
    std::uint32_t flags = 0;
    avr_ioctl(avr_, AVR_IOCTL_UART_GET_FLAGS('0'), &flags);
    // The firmware's bytes are no text for simavr's console, and a status read is no reason to
    // sleep a microsecond.
    flags &= ~(AVR_UART_FLAG_STDIO | AVR_UART_FLAG_POLL_SLEEP);
    avr_ioctl(avr_, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);

    uartInput_ = avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_INPUT);
    avr_irq_register_notify(avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUT_XON),
                            OnUartReady, this);
    avr_irq_register_notify(avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUT_XOFF),
                            OnUartFull, this);

    auto& baudRate = avr_->io[AVR_DATA_TO_IO(kUbrr0l)].w;
    baudRate_ = baudRate.c;
    uart_ = baudRate.param;
    baudRate.c = OnBaudRate;
    baudRate.param = this;
    // The transmitter is this board's own: simavr's sends a byte only once the one before has
    // gone, and tells the byte on before it starts.
    auto& data = avr_->io[AVR_DATA_TO_IO(kUdr0)].w;
    data.c = OnDataRegister;
    data.param = this;
}

void AvrBoard::OnBaudRate(avr_t*, std::uint16_t address, std::uint8_t value, void* param) {
    static_cast<AvrBoard*>(param)->SetBaudRate(address, value);
}

// simavr works the byte time out when the divisor's low byte is written (from the double-speed
// bit as it is then: the firmware sets that first), and counts a parity bit into every byte,
// parity or not: without parity a byte is one bit shorter (10 bits for 8N1), at any rate.
void AvrBoard::SetBaudRate(std::uint16_t address, std::uint8_t value) {
    baudRate_(avr_, address, value, uart_);
    if ((avr_->data[kUcsr0c] & kUpm0) == 0) {
        static_cast<avr_uart_t*>(uart_)->cycles_per_byte -= BitCycles();
    }
}

// Each byte from the host reaches the UART as its start bit begins: simavr's UART then has it
// in one of its byte times. simavr keeps a small queue of received bytes and says when it is
// full; bytes beyond it wait here, as they would in a real UART's shift register and the line.
void AvrBoard::FeedUart() {
    while (!uartFull_ && !fromHost_.empty() && fromHost_.front().start <= avr_->cycle) {
        const HostByte sent = fromHost_.front();
        fromHost_.pop_front();
        receivedAt_ = std::max(receivedAt_, avr_->cycle) + ByteCycles();
        if (SameRate(sent.baud, LineBaud())) {
            avr_raise_irq(uartInput_, sent.byte);
        } else if (sent.start >= boardGarbledUntil_) {
            boardGarbledUntil_ = sent.start + ByteCycles();
            avr_raise_irq(uartInput_, kFramingError);
        }
    }
}

void AvrBoard::ScheduleFeed() {
    avr_cycle_timer_cancel(avr_, OnFeedTime, this);
    FeedUart();
    if (!uartFull_ && !fromHost_.empty()) {
        avr_cycle_timer_register(avr_, fromHost_.front().start - avr_->cycle, OnFeedTime, this);
    }
}

std::uint64_t AvrBoard::OnFeedTime(avr_t*, std::uint64_t, void* param) {
    auto* board = static_cast<AvrBoard*>(param);
    board->FeedUart();
    const bool more = !board->uartFull_ && !board->fromHost_.empty();
    return more ? std::max(board->fromHost_.front().start, board->avr_->cycle + 1) : 0;
}

void AvrBoard::OnDataRegister(avr_t*, std::uint16_t, std::uint8_t value, void* param) {
    static_cast<AvrBoard*>(param)->WriteData(value);
}

// A byte written while the shift register is free moves on into it at once, and the data
// register is empty again (UDRE0): the firmware can put the next byte there while this one
// goes out, so that the bytes follow each other without a gap.
void AvrBoard::WriteData(std::uint8_t value) {
    auto* uart = static_cast<avr_uart_t*>(uart_);
    if (avr_regbit_get(avr_, uart->txen) == 0) {
        return;
    }
    avr_clear_interrupt_if(avr_, &uart->udrc, 0);
    if (shifting_) {
        dataFull_ = true;
        data_ = value;
        return;
    }
    StartShifting(value);
    avr_cycle_timer_register(avr_, ByteCycles(), OnShiftEnd, this);
}

void AvrBoard::StartShifting(std::uint8_t value) {
    shifting_ = true;
    avr_raise_interrupt(avr_, &static_cast<avr_uart_t*>(uart_)->udrc);
    Emit(value);
}

// At the end of a byte the next one starts, if there is one; otherwise the transmission is
// complete (TXC0).
std::uint64_t AvrBoard::OnShiftEnd(avr_t* avr, std::uint64_t when, void* param) {
    auto* board = static_cast<AvrBoard*>(param);
    board->shifting_ = false;
    if (!board->dataFull_) {
        avr_raise_interrupt(avr, &static_cast<avr_uart_t*>(board->uart_)->txc);
        return 0;
    }
    board->dataFull_ = false;
    board->StartShifting(board->data_);
    return when + board->ByteCycles();
}

void AvrBoard::Emit(std::uint8_t value) {
    sentAt_ = avr_->cycle;
    if (!sink_) {
        return;
    }
    if (SameRate(LineBaud(), hostBaud_)) {
        sink_(value);
    } else if (avr_->cycle >= hostGarbledUntil_) {
        hostGarbledUntil_ = avr_->cycle + HostByteCycles(hostBaud_);
        sink_(0x00);
    }
}

void AvrBoard::SetUartFull(bool full) {
    const bool freed = uartFull_ && !full;
    uartFull_ = full;
    if (freed) {
        ScheduleFeed();
    }
}

void AvrBoard::OnUartReady(avr_irq_t*, std::uint32_t value, void* param) {
    if (value != 0) {
        static_cast<AvrBoard*>(param)->SetUartFull(false);
    }
}

void AvrBoard::OnUartFull(avr_irq_t*, std::uint32_t value, void* param) {
    static_cast<AvrBoard*>(param)->SetUartFull(value != 0);
}

}  // namespace korvel::sim
