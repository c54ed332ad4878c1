// The 24Cxx chip model against the bus sequences of the chips' datasheets.
#include <gtest/gtest.h>

#include "tools/avrboard/I2cEeprom.h"

namespace korvel {

namespace {

using korvel::sim::FindChip;
using korvel::sim::I2cEeprom;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kMs = 1'000'000;

I2cEeprom Blank(const char* type) {
    return I2cEeprom(*FindChip(type), {});
}

// A start with this device address at `nowNs`, then these bytes: true when the chip acknowledged
// every one.
bool Sent(I2cEeprom& chip, std::uint8_t device, const std::vector<std::uint8_t>& bytes,
          std::uint64_t nowNs = 0) {
    bool acknowledged = chip.Start(device, nowNs);
    for (const std::uint8_t byte : bytes) {
        acknowledged = chip.Write(byte) && acknowledged;
    }
    return acknowledged;
}

TEST(ChipModel, TwoAddressBytesGoHighByteFirst) {
    I2cEeprom chip = Blank("24C256");
    EXPECT_TRUE(Sent(chip, 0xA0, {0x12, 0x34, 0x5A}));
    chip.Stop(0);
    EXPECT_EQ(chip.Contents()[0x1234], 0x5A);
    EXPECT_EQ(chip.Contents()[0x3412], 0xFF);
    EXPECT_TRUE(chip.TakeChanged());
    EXPECT_FALSE(chip.TakeChanged());

    // Random read: the address in a write, a repeated start with the read bit, one byte.
    EXPECT_TRUE(Sent(chip, 0xA0, {0x12, 0x34}, 10 * kMs));
    EXPECT_TRUE(chip.Start(0xA1, 10 * kMs));
    EXPECT_EQ(chip.Read(), 0x5A);
    EXPECT_EQ(chip.Read(), 0xFF);  // sequential read goes on at 0x1235
}

TEST(ChipModel, BlockBitsRideInTheDeviceAddress) {
    I2cEeprom chip = Blank("24C16");
    EXPECT_TRUE(Sent(chip, 0xAE, {0x01, 0x77}));  // block 7
    chip.Stop(0);
    EXPECT_EQ(chip.Contents().size(), 2048u);
    EXPECT_EQ(chip.Contents()[0x701], 0x77);

    // A 24C04 has one block bit; bits 2 and 3 name its grounded A1 and A2 pins.
    I2cEeprom small = Blank("24C04");
    EXPECT_TRUE(small.Start(0xA2, 0));
    EXPECT_FALSE(small.Start(0xA4, 0));
    // A 24C02 and a 24C32 answer at 0xA0 only, with A0 to A2 grounded.
    EXPECT_FALSE(Blank("24C02").Start(0xA2, 0));
    EXPECT_FALSE(Blank("24C32").Start(0xA8, 0));
    EXPECT_FALSE(Blank("24C02").Start(0xB0, 0));
}

// Pins wired high move the chip's device address; a 24C04's A0 carries address bit 8 and stays
// out of it.
TEST(ChipModel, PinsWiredHighMoveTheDeviceAddress) {
    sim::ChipBehaviour pins;
    pins.pins = 5;
    I2cEeprom chip(*FindChip("24C32"), {}, pins);
    EXPECT_FALSE(chip.Start(0xA0, 0));
    EXPECT_TRUE(chip.Start(0xAA, 0));
    I2cEeprom small(*FindChip("24C04"), {}, pins);
    EXPECT_TRUE(small.Start(0xA8, 0));
    EXPECT_TRUE(small.Start(0xAA, 0));
    EXPECT_FALSE(small.Start(0xA0, 0));
}

TEST(ChipModel, WriteCycleOfFiveMillisecondsWithoutAcknowledge) {
    I2cEeprom chip = Blank("24C02");
    ASSERT_TRUE(Sent(chip, 0xA0, {0x10, 0x00}));
    chip.Stop(1 * kMs);
    EXPECT_FALSE(chip.Start(0xA0, 1 * kMs));
    EXPECT_FALSE(chip.Start(0xA1, 5 * kMs + kMs / 2));
    EXPECT_TRUE(chip.Start(0xA0, 6 * kMs));
    chip.Stop(6 * kMs);  // an address alone starts no write cycle
    EXPECT_TRUE(chip.Start(0xA0, 6 * kMs));
    EXPECT_EQ(chip.Contents()[0x10], 0x00);
}

TEST(ChipModel, StoresAPageAtTheStopRollingOverWithinIt) {
    I2cEeprom chip = Blank("24C02");  // pages of 8 bytes
    ASSERT_TRUE(Sent(chip, 0xA0, {0x1E, 0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(chip.Contents()[0x1E], 0xFF);  // nothing before the stop
    chip.Stop(0);
    EXPECT_EQ(Bytes(chip.Contents().begin() + 0x18, chip.Contents().begin() + 0x20),
              (Bytes{0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x02}));
    EXPECT_EQ(chip.Contents()[0x20], 0xFF);

    // A repeated start abandons a write that was not stopped.
    ASSERT_TRUE(Sent(chip, 0xA0, {0x40, 0x01}, 6 * kMs));
    EXPECT_TRUE(chip.Start(0xA0, 6 * kMs));
    chip.Stop(6 * kMs);
    EXPECT_EQ(chip.Contents()[0x40], 0xFF);
}

TEST(ChipModel, The24C00TakesOneByteAtATime) {
    // Contents longer than the chip are cut; addresses wrap at its size.
    I2cEeprom tiny(*FindChip("24C00"), Bytes(100, 0x00));
    EXPECT_EQ(tiny.Contents().size(), 16u);
    ASSERT_TRUE(Sent(tiny, 0xA0, {0x13, 0x99}));  // address 3 of 16
    EXPECT_FALSE(tiny.Write(0x98));               // no second data byte
    tiny.Stop(0);
    EXPECT_EQ(tiny.Contents()[3], 0x00);
    EXPECT_FALSE(tiny.TakeChanged());
}

TEST(ChipModel, ReadsOnThroughBlocksAndBackToTheStart) {
    Bytes contents(2048, 0x00);
    contents[0x0FF] = 0x11;
    contents[0x100] = 0x22;
    contents[0x7FF] = 0x33;
    I2cEeprom chip(*FindChip("24C16"), contents);
    EXPECT_TRUE(Sent(chip, 0xA0, {0xFF}));  // block 0, address 0xFF
    EXPECT_TRUE(chip.Start(0xA1, 0));
    EXPECT_EQ(chip.Read(), 0x11);
    EXPECT_EQ(chip.Read(), 0x22);
    EXPECT_TRUE(Sent(chip, 0xAE, {0xFF}));  // block 7, the chip's last byte
    EXPECT_TRUE(chip.Start(0xA1, 0));
    EXPECT_EQ(chip.Read(), 0x33);
    EXPECT_EQ(chip.Read(), 0x00);
}

TEST(ChipModel, BehavesAsTold) {
    sim::ChipBehaviour slow;
    slow.writeCycleNs = 10 * kMs;
    I2cEeprom old(*FindChip("24C02"), {}, slow);
    ASSERT_TRUE(Sent(old, 0xA0, {0x10, 0x00}));
    old.Stop(0);
    EXPECT_FALSE(old.Start(0xA0, 9 * kMs));
    EXPECT_TRUE(old.Start(0xA0, 10 * kMs));

    // A write that stores the address takes the data, then never ends its cycle.
    sim::ChipBehaviour endless;
    endless.endlessCycleAt = 0x12;
    I2cEeprom stuck(*FindChip("24C02"), {}, endless);
    ASSERT_TRUE(Sent(stuck, 0xA0, {0x10, 0x01, 0x02, 0x03}));
    stuck.Stop(0);
    EXPECT_EQ(stuck.Contents()[0x12], 0x03);
    EXPECT_FALSE(stuck.Start(0xA0, 1000 * kMs));

    // Data for the address is not acknowledged, and nothing of the write is stored.
    sim::ChipBehaviour refusing;
    refusing.refuseWriteAt = 0x12;
    I2cEeprom protectedChip(*FindChip("24C02"), {}, refusing);
    EXPECT_FALSE(Sent(protectedChip, 0xA0, {0x11, 0x01, 0x02}));
    protectedChip.Stop(0);
    EXPECT_EQ(protectedChip.Contents()[0x11], 0xFF);
    EXPECT_TRUE(protectedChip.Start(0xA0, 0));  // no write cycle
}

}  // namespace

}  // namespace korvel
