// The window's presenter: the state it starts in, what a choice in the device list changes,
// detection and the five device buttons, and what each chip operation shows.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <tuple>

#include "tests/support/BoardSession.h"
#include "tests/support/Bounded.h"

namespace korvel {

namespace {

using Texts = std::vector<std::string>;

// Detection at start, on COM2: the hardware line, then how it left the five buttons.
Texts DetectionOnCom2() {
    ScriptedUser user;
    CKorvelDlg dlg{user};
    dlg.OnInitDialog();
    return {user.Last().hardware, user.buttons};
}

TEST(HardwareDetection, AnswerDecidesTheHardwareLineAndTheButtons) {
    const std::tuple<Texts, Texts> cases[] = {
        {{}, {"Hardware v2.1", "on"}},
        {{"--board-version", "2\\x00X"}, {"Hardware v2", "on"}},
        {{"--short-version", "2"}, {"Hardware not found !", "off"}},
    };
    for (const auto& [options, expected] : cases) {
        SimulatorProcess sim(options);
        EXPECT_EQ(DetectionOnCom2(), expected);
    }
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    EXPECT_EQ(DetectionOnCom2(), (Texts{"Can't open port", "off"}));
}

// A board that never stops sending, from the start or after its answer, a byte every 15 ms or
// back to back: detection still ends, with the first three bytes for the answer.
TEST(HardwareDetection, EndsAgainstABoardThatFloodsTheLine) {
    const std::pair<std::vector<std::string>, const char*> boards[] = {
        {{"--flood-after", "1", "--flood-ms", "15"}, "Hardware v2.1"},
        {{"--flood-after", "1", "--flood-ms", "0"}, "Hardware v2.1"},
        {{"--flood-after", "0", "--flood-ms", "15"}, "Hardware v"},
        {{"--flood-after", "0", "--flood-ms", "0"}, "Hardware v"},
    };
    for (const auto& [options, hardware] : boards) {
        SimulatorProcess sim(options);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // a flood under way
        const std::string expected = hardware;
        EXPECT_TRUE(EndsWithin(3000,
                               [&] {
                                   const Texts seen = DetectionOnCom2();
                                   return seen[0].rfind(expected, 0) == 0 && seen[0].size() == 13 &&
                                          seen[1] == "on";
                               }))
            << options[1] << " " << options[3];
    }
}

TEST(StartUp, BlankImageOfA24C02AndDeviceChoicesTouchOnlyTheSize) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ScriptedUser user;
    CKorvelDlg dlg(user);
    EXPECT_EQ(dlg.Texts().size, "Size: 256 bytes");  // right before the window first shows
    dlg.OnInitDialog();
    const StatusTexts& start = user.pushes.front();
    EXPECT_EQ((Texts{start.action, start.file, start.size, start.hardware}),
              (Texts{"Korvel v3.0", "File: [buffer]", "Size: 256 bytes", "Hardware not found !"}));
    const Programmer& core = dlg.Core();
    EXPECT_TRUE(
        std::all_of(core.Image().begin(), core.Image().end(), [](auto b) { return b == 0xFF; }));
    EXPECT_EQ(dlg.SelectedDevice(), 2);
    EXPECT_EQ(dlg.SelectedPort(), 1);

    dlg.Core().PutImage(300, {0x12});
    dlg.Core().NameImage("/images/chip.bin");
    const ImageBuffer image = core.Image();
    for (const auto& [row, size] : {std::pair{9, "Size: 32768 bytes"}, {0, "Size: 16 bytes"}}) {
        dlg.OnSelchangeDeviceCombo(row);
        EXPECT_EQ(user.Last().size, size);
    }
    EXPECT_EQ(core.Image(), image);
    EXPECT_EQ(core.ImageName(), "/images/chip.bin");
    EXPECT_EQ(core.Chip().name, std::string("24C00"));
    EXPECT_TRUE(user.boxes.empty());
}

// The progress after every address, "Ready." at the end; the file line back to "[buffer]"
// after a Read, an Erase and a Write, and after a Verify as it was.
TEST(DeviceButtons, ProgressThenReadyAndTheFileLine) {
    TempDir dir;
    WriteFileBytes(dir.File("blank.bin"), std::vector<std::uint8_t>(16, 0xFF));
    BoardSession session("24C00");
    session.user.paths = {dir.File("blank.bin")};
    session.dlg.OnClickOpenbutton();
    session.dlg.OnClickVerifybutton();
    std::string shown = dir.File("blank.bin");
    std::transform(shown.begin(), shown.end(), shown.begin(), ::tolower);
    EXPECT_EQ(session.user.Last().file, "File: " + shown);
    session.dlg.OnClickReadbutton();
    Texts expected;
    for (const char* percent : {"6", "12", "18", "25", "31", "37", "43", "50", "56", "62", "68",
                                "75", "81", "87", "93", "100"}) {
        expected.push_back(std::string("Reading... ") + percent + "% done");
    }
    expected.push_back("Ready.");
    EXPECT_EQ(Texts(session.user.actions.end() - 17, session.user.actions.end()), expected);
    EXPECT_EQ(session.user.Last().file, "File: [buffer]");
    EXPECT_EQ(session.user.boxes, Texts{"Verify 0: Verify ok"});
}

// Each failure's box, once, before "Ready."; a check that fails shows no success box.
TEST(DeviceButtons, EachFailureShowsItsBox) {
    TempDir dir;
    WriteFileBytes(dir.File("zeros.bin"), std::vector<std::uint8_t>(256, 0x00));
    const std::tuple<std::vector<std::string>, void (CKorvelDlg::*)(), const char*> cases[] = {
        {{},
         &CKorvelDlg::OnClickVerifybutton,
         "Verify 0: Verify failed !\nFirst error at addr 1fh"},
        {{"--image", dir.File("zeros.bin")},
         &CKorvelDlg::OnClickBlankbutton,
         "Blank check 0: Device isn't blank !\nFirst error at addr 0h"},
        {{"--bad-reply-at", "7"}, &CKorvelDlg::OnClickErasebutton, "Erase 0: Erase error !"},
        {{"--bad-reply-at", "7"}, &CKorvelDlg::OnClickWritebutton, "Write 0: Write error !"},
        {{"--silent-after", "3"}, &CKorvelDlg::OnClickReadbutton, "Error 0: Transmission error !"},
    };
    for (const auto& [board, button, box] : cases) {
        BoardSession session("24C02", board);
        session.dlg.Core().PutImage(0x1F, {0x00});
        (session.dlg.*button)();
        EXPECT_EQ(session.user.boxes, Texts{box});
        EXPECT_EQ(session.user.Last().action, "Ready.");
    }
}

}  // namespace

}  // namespace korvel
