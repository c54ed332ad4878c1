// The five device operations end to end: dialog, serial link, pseudo-terminal, board simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "tests/support/BoardSession.h"
#include "tests/support/Stopwatch.h"

namespace {

std::vector<std::string> ChipOptions(const char* chip, const std::string& image,
                                     std::vector<std::string> more = {}) {
    std::vector<std::string> options = {"--chip", chip, "--image", image};
    options.insert(options.end(), more.begin(), more.end());
    return options;
}

std::vector<std::uint8_t> Image(const BoardSession& session) {
    return {session.dlg.eebuf.begin(), session.dlg.eebuf.begin() + session.dlg.eebufsize};
}

TEST(DeviceOperations, ReadPutsExactlyTheCommandsOnTheLine) {
    TempDir dir;
    const auto chip = PatternImage(256);
    WriteFileBytes(dir.File("chip.bin"), chip);
    BoardSession session(ChipOptions("24C02", dir.File("chip.bin")));
    session.dlg.OnClickReadbutton();
    const auto trace = session.StopAndTrace();
    ASSERT_EQ(trace.size(), 258u);
    EXPECT_EQ(trace[0], "54 00");
    EXPECT_EQ(trace[1], "43 A0");
    char expected[32];
    for (int a = 0; a < 256; ++a) {
        std::snprintf(expected, sizeof expected, "52 %02X -> %02X", a, chip[a]);
        ASSERT_EQ(trace[2 + a], expected);
    }
}

TEST(DeviceOperations, OneAddressByteTypesSelectEachBlockTwoByteTypesNever) {
    TempDir dir;
    BoardSession c16({"--chip", "24C16"});
    c16.SelectDevice("24C16");
    c16.dlg.OnClickWritebutton();
    auto trace = c16.StopAndTrace();
    ASSERT_EQ(trace.size(), 2u + 7u + 2048u);
    std::vector<std::size_t> selects;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        if (trace[i].rfind("43 ", 0) == 0) {
            selects.push_back(i);
        }
    }
    ASSERT_EQ(selects.size(), 8u);
    for (int block = 1; block < 8; ++block) {
        char select[8];
        std::snprintf(select, sizeof select, "43 %02X", 0xA0 | (block << 1));
        EXPECT_EQ(trace[selects[block]], select);
        // Right before the write of the block's first address, low byte 00.
        EXPECT_EQ(trace[selects[block] + 1], "57 00 FF -> FF");
        EXPECT_EQ(selects[block], 2u + block * 257u - 1u) << block;
    }

    BoardSession c32({"--chip", "24C32"});
    c32.SelectDevice("24C32");
    c32.dlg.eebuf[0x0234] = 0x5A;
    c32.dlg.OnClickWritebutton();
    trace = c32.StopAndTrace();
    ASSERT_EQ(trace.size(), 2u + 4096u);
    EXPECT_EQ(trace[0], "54 01");
    EXPECT_EQ(trace[1], "43 A0");
    EXPECT_EQ(trace[2 + 0x0234], "57 34 02 5A -> 5A");
    EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                            [](const std::string& line) { return line.rfind("43", 0) == 0; }),
              1);
}

TEST(DeviceOperations, ReadShowsEachPercentageAndEndsReady) {
    BoardSession session({"--chip", "24C00"});
    session.SelectDevice("24C00");
    session.host.pushes.clear();
    session.dlg.filename = "/images/old.bin";
    session.dlg.m_File = "File: /images/old.bin";
    session.dlg.OnClickReadbutton();
    const std::vector<std::string> expected = {"Reading... 6% done",
                                               "Reading... 12% done",
                                               "Reading... 18% done",
                                               "Reading... 25% done",
                                               "Reading... 31% done",
                                               "Reading... 37% done",
                                               "Reading... 43% done",
                                               "Reading... 50% done",
                                               "Reading... 56% done",
                                               "Reading... 62% done",
                                               "Reading... 68% done",
                                               "Reading... 75% done",
                                               "Reading... 81% done",
                                               "Reading... 87% done",
                                               "Reading... 93% done",
                                               "Reading... 100% done",
                                               "Ready."};
    EXPECT_EQ(session.host.ActionTexts(), expected);
    EXPECT_EQ(session.host.Last().file, "File: [buffer]");
    EXPECT_EQ(session.dlg.filename, "[buffer]");
    EXPECT_TRUE(session.host.boxes.empty());
}

TEST(DeviceOperations, ReadThenVerifyEveryTypeByteExact) {
    TempDir dir;
    for (int type = 0; type < kDeviceCount; ++type) {
        const auto chip = PatternImage(static_cast<std::size_t>(kDevices[type].size), type + 7);
        WriteFileBytes(dir.File("chip.bin"), chip);
        BoardSession session(ChipOptions(kDevices[type].name, dir.File("chip.bin")));
        session.SelectDevice(kDevices[type].name);
        session.dlg.OnClickReadbutton();
        EXPECT_EQ(Image(session), chip) << kDevices[type].name;
        session.dlg.OnClickVerifybutton();
        ASSERT_EQ(session.host.boxes.size(), 1u) << kDevices[type].name;
        EXPECT_EQ(session.host.boxes[0].text, "Verify ok");
        EXPECT_EQ(session.host.boxes[0].title, "Verify");
        EXPECT_EQ(session.host.boxes[0].style, MB_OK);
    }
}

TEST(DeviceOperations, WriteAndEraseReachTheChipAndLeaveTheImage) {
    BoardSession session({"--chip", "24C64"});
    session.SelectDevice("24C64");
    const auto image = PatternImage(8192, 3);
    std::copy(image.begin(), image.end(), session.dlg.eebuf.begin());
    session.dlg.eebuf[8192] = 0x77;  // beyond the device: never sent
    session.dlg.OnClickWritebutton();
    session.dlg.OnClickVerifybutton();
    EXPECT_EQ(session.host.boxes.back().text, "Verify ok");
    session.sim.Stop();
    EXPECT_EQ(session.sim.Dump(), image);

    BoardSession erase({"--chip", "24C04", "--image", session.sim.File("dump")});
    erase.SelectDevice("24C04");
    std::copy(image.begin(), image.begin() + 512, erase.dlg.eebuf.begin());
    const auto before = erase.dlg.eebuf;
    erase.dlg.filename = "/images/chip.bin";
    erase.dlg.OnClickErasebutton();
    EXPECT_EQ(erase.dlg.eebuf, before);
    EXPECT_EQ(erase.host.Last().file, "File: [buffer]");
    EXPECT_EQ(erase.host.Last().action, "Ready.");
    EXPECT_TRUE(erase.host.boxes.empty());
    erase.sim.Stop();
    EXPECT_EQ(erase.sim.Dump(), std::vector<std::uint8_t>(512, 0xFF));
}

TEST(DeviceOperations, FirstMismatchIsReportedAndNothingFollowsIt) {
    BoardSession verify({"--chip", "24C02"});
    verify.dlg.eebuf[31] = 0x00;
    verify.dlg.eebuf[40] = 0x00;
    verify.dlg.OnClickVerifybutton();
    ASSERT_EQ(verify.host.boxes.size(), 1u);
    EXPECT_EQ(verify.host.boxes[0].text, "Verify failed !\nFirst error at addr 1fh");
    EXPECT_EQ(verify.host.boxes[0].title, "Verify");
    EXPECT_EQ(verify.host.Last().action, "Ready.");
    EXPECT_EQ(verify.host.Last().file, "File: [buffer]");
    auto trace = verify.StopAndTrace();
    EXPECT_EQ(trace.back(), "52 1F -> FF");

    TempDir dir;
    WriteFileBytes(dir.File("chip.bin"), {0x00});
    BoardSession blank(ChipOptions("24C02", dir.File("chip.bin")));
    blank.dlg.OnClickBlankbutton();
    ASSERT_EQ(blank.host.boxes.size(), 1u);
    EXPECT_EQ(blank.host.boxes[0].text, "Device isn't blank !\nFirst error at addr 0h");
    EXPECT_EQ(blank.host.boxes[0].title, "Blank check");
    trace = blank.StopAndTrace();
    EXPECT_EQ(trace.size(), 3u);

    BoardSession write({"--chip", "24C02", "--bad-reply-at", "5"});
    write.dlg.OnClickWritebutton();
    ASSERT_EQ(write.host.boxes.size(), 1u);
    EXPECT_EQ(write.host.boxes[0].text, "Write error !");
    EXPECT_EQ(write.host.boxes[0].title, "Write");
    EXPECT_EQ(write.host.Last().file, "File: [buffer]");
    trace = write.StopAndTrace();
    EXPECT_EQ(trace.size(), 2u + 6u);

    BoardSession fresh({"--chip", "24C02"});
    fresh.dlg.OnClickBlankbutton();
    ASSERT_EQ(fresh.host.boxes.size(), 1u);
    EXPECT_EQ(fresh.host.boxes[0].text, "Device is blank");
    EXPECT_EQ(fresh.host.boxes[0].title, "Blank check");
}

TEST(DeviceOperations, SilentBoardEndsAReadAndKeepsWhatCameBefore) {
    TempDir dir;
    const auto chip = PatternImage(256, 5);
    WriteFileBytes(dir.File("chip.bin"), chip);
    // One reply for the version, then a hundred reads.
    BoardSession session(ChipOptions("24C02", dir.File("chip.bin"), {"--silent-after", "101"}));
    session.dlg.eebuf[150] = 0x42;
    Stopwatch watch;
    session.dlg.OnClickReadbutton();
    EXPECT_LT(watch.Ms(), 5000);
    ASSERT_EQ(session.host.boxes.size(), 1u);
    EXPECT_EQ(session.host.boxes[0].text, "Transmission error !");
    EXPECT_EQ(session.host.boxes[0].title, "Error");
    EXPECT_TRUE(std::equal(chip.begin(), chip.begin() + 100, session.dlg.eebuf.begin()));
    EXPECT_EQ(session.dlg.eebuf[100], 0xFF);
    EXPECT_EQ(session.dlg.eebuf[150], 0x42);
    EXPECT_EQ(session.host.Last().file, "File: [buffer]");
    EXPECT_EQ(session.host.Last().action, "Ready.");
    EXPECT_EQ(session.StopAndTrace().back(), "52 64");
}

TEST(DeviceOperations, BoardThatVanishesMidReadEndsWithTransmissionError) {
    TempDir dir;
    const auto chip = PatternImage(32768, 9);
    WriteFileBytes(dir.File("chip.bin"), chip);
    BoardSession session(ChipOptions("24C256", dir.File("chip.bin"), {"--delay-ms", "1"}));
    session.SelectDevice("24C256");
    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        session.sim.Kill();
    });
    Stopwatch watch;
    session.dlg.OnClickReadbutton();
    unplug.join();
    EXPECT_LT(watch.Ms(), 5000);
    ASSERT_EQ(session.host.boxes.size(), 1u);
    EXPECT_EQ(session.host.boxes[0].text, "Transmission error !");
    // Every address that got its progress text was read correctly (pushes: start, detection,
    // device choice, one per address, closing).
    const auto read = static_cast<std::size_t>(session.host.pushes.size() - 4);
    ASSERT_GT(read, 0u);
    EXPECT_TRUE(std::equal(chip.begin(), chip.begin() + static_cast<long>(read),
                           session.dlg.eebuf.begin()));
}

TEST(DeviceOperations, SurplusVersionBytesDoNotShiftTheRead) {
    TempDir dir;
    const auto chip = PatternImage(256, 11);
    WriteFileBytes(dir.File("chip.bin"), chip);
    BoardSession session(ChipOptions("24C02", dir.File("chip.bin"), {"--version", "2.1XY"}));
    EXPECT_EQ(session.dlg.m_HwStat, "Hardware v2.1");
    session.dlg.OnClickReadbutton();
    EXPECT_TRUE(session.host.boxes.empty());
    EXPECT_EQ(Image(session), chip);
}

}  // namespace
