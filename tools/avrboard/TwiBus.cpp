#include "tools/avrboard/TwiBus.h"

#include <avr_twi.h>
#include <sim_avr.h>
#include <sim_io.h>
#include <sim_irq.h>

namespace korvel::sim {

namespace {

// The ATmega328P's TWI registers, in data memory, and the bits of TWCR the corrections need.
constexpr std::uint16_t kTwbr = 0xB8;
constexpr std::uint16_t kTwsr = 0xB9;
constexpr std::uint16_t kTwcr = 0xBC;
constexpr std::uint8_t kTwint = 0x80;
constexpr std::uint8_t kTwsta = 0x20;
constexpr std::uint8_t kTwsto = 0x10;

// Status codes of the master transmitter after a device address.
constexpr std::uint8_t kAddressAck = 0x18;
constexpr std::uint8_t kAddressNack = 0x20;
constexpr std::uint8_t kDataAck = 0x28;
constexpr std::uint8_t kDataNack = 0x30;

constexpr std::uint32_t kByteSclPeriods = 9;  // eight bits and the acknowledge
constexpr std::uint32_t kStartSclPeriods = 1;

}  // namespace

TwiBus::TwiBus(avr_t* avr, I2cEeprom* chip, bool stuck) : avr_(avr), chip_(chip), stuck_(stuck) {
    input_ = avr_io_getirq(avr, AVR_IOCTL_TWI_GETIRQ(0), TWI_IRQ_INPUT);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_TWI_GETIRQ(0), TWI_IRQ_OUTPUT), OnMessage,
                            this);
    auto& control = avr->io[AVR_DATA_TO_IO(kTwcr)].w;
    control_ = control.c;
    unit_ = control.param;
    control.c = OnControl;
    control.param = this;
}

void TwiBus::OnControl(avr_t*, std::uint16_t, std::uint8_t value, void* param) {
    static_cast<TwiBus*>(param)->WriteControl(value);
}

void TwiBus::OnMessage(avr_irq_t*, std::uint32_t value, void* param) {
    static_cast<TwiBus*>(param)->TakeMessage(value);
}

void TwiBus::WriteControl(std::uint8_t value) {
    if (stuck_) {
        avr_->data[kTwcr] = static_cast<std::uint8_t>(value & ~kTwint);
        return;
    }
    auto* unit = static_cast<avr_twi_t*>(unit_);
    const bool startsStep = (value & kTwint) != 0;
    const bool start = startsStep && (value & kTwsta) != 0;
    const bool sendsAddress = startsStep && (value & (kTwsta | kTwsto)) == 0 &&
                              (unit->state & TWI_COND_START) != 0 &&
                              (unit->state & TWI_COND_ADDR) == 0;
    control_(avr_, kTwcr, value, unit_);
    if (!startsStep) {
        return;
    }
    lastStep_ = avr_->cycle;
    avr_->data[kTwcr] &= static_cast<std::uint8_t>(~kTwint);
    if (sendsAddress && (unit->peer_addr & 1) == 0) {
        if (unit->next_twstate == kDataAck) {
            unit->next_twstate = kAddressAck;
        } else if (unit->next_twstate == kDataNack) {
            unit->next_twstate = kAddressNack;
        }
    }
    if ((value & kTwsto) == 0) {
        Stretch(start ? kStartSclPeriods : kByteSclPeriods);
    }
}

// Moves the end of the step that simavr has just scheduled to its time on a real bus.
void TwiBus::Stretch(std::uint32_t sclPeriods) {
    const std::uint32_t prescaler = 1u << (2 * (avr_->data[kTwsr] & 0x03));
    const std::uint32_t periodCycles = 16 + 2 * avr_->data[kTwbr] * prescaler;
    for (avr_cycle_timer_slot_p slot = avr_->cycle_timers.timer; slot != nullptr;
         slot = slot->next) {
        if (slot->param == unit_) {
            avr_cycle_timer_register(avr_, sclPeriods * periodCycles, slot->timer, unit_);
            return;
        }
    }
}

// simavr's TWI unit tells of each bus event as a message; the chip answers with an acknowledge
// bit or a data byte at once.
void TwiBus::TakeMessage(std::uint32_t value) {
    if (chip_ == nullptr) {
        return;
    }
    avr_twi_msg_irq_t message{};
    message.u.v = value;
    const std::uint8_t condition = message.u.twi.msg;
    const std::uint8_t address = message.u.twi.addr;
    // In whole megahertz, so that the product stays in 64 bits for centuries of simulated time.
    const std::uint64_t nowNs = avr_->cycle * 1000 / (avr_->frequency / 1'000'000);
    auto acknowledge = [&](bool ack) {
        avr_raise_irq(input_, avr_twi_irq_msg(TWI_COND_ACK, address, ack ? 1 : 0));
    };
    if ((condition & TWI_COND_STOP) != 0) {
        chip_->Stop(nowNs);
    }
    if ((condition & TWI_COND_START) != 0) {
        acknowledge(chip_->Start(address, nowNs));
    }
    if ((condition & TWI_COND_WRITE) != 0) {
        acknowledge(chip_->Write(message.u.twi.data));
    }
    if ((condition & TWI_COND_READ) != 0) {
        avr_raise_irq(input_, avr_twi_irq_msg(TWI_COND_READ, address, chip_->Read()));
    }
}

}  // namespace korvel::sim
