// The state the dialog starts in, what a choice in the device list changes, and detection of the
// board on the chosen port and what it does to the five device buttons.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <tuple>

#include "dialog/KorvelDlg.h"
#include "tests/support/Bounded.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/SimulatorProcess.h"

namespace korvel {

namespace {

using Texts = std::vector<std::string>;

// Detection on COM2, every device button set the other way before: the hardware line, then how
// detection left the five buttons.
Texts DetectionOnCom2(bool buttonsBefore) {
    ScriptedUser user;
    CKorvelDlg dlg{user};
    dlg.InitialiseState();
    CCommandButton* buttons[] = {&dlg.m_ReadButton, &dlg.m_WriteButton, &dlg.m_VerifyButton,
                                 &dlg.m_BlankButton, &dlg.m_EraseButton};
    for (CCommandButton* button : buttons) {
        button->SetEnabled(buttonsBefore);
    }
    dlg.m_PortCombo.SelectedByUser(1);
    dlg.OnSelchangeCombo1();
    Texts seen = {user.Last().hardware};
    for (CCommandButton* button : buttons) {
        seen.push_back(button->GetEnabled() ? "on" : "off");
    }
    return seen;
}

TEST(HardwareDetection, AnswerDecidesTheHardwareLineAndTheButtons) {
    const std::tuple<Texts, const char*, bool> cases[] = {
        {{}, "Hardware v2.1", true},
        {{"--board-version", "2\\x00X"}, "Hardware v2", true},
        {{"--short-version", "2"}, "Hardware not found !", false},
    };
    for (const auto& [options, hardware, on] : cases) {
        SimulatorProcess sim(options);
        Texts expected(6, on ? "on" : "off");
        expected[0] = hardware;
        EXPECT_EQ(DetectionOnCom2(!on), expected);
    }
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
                                   const Texts seen = DetectionOnCom2(false);
                                   return seen[0].rfind(expected, 0) == 0 && seen[0].size() == 13 &&
                                          seen[1] == "on";
                               }))
            << options[1] << " " << options[3];
    }
}

TEST(CommandButton, ClickRunsItsHandlerOnlyWhileEnabled) {
    CCommandButton button;
    int clicks = 0;
    button.SetClickHandler([&] { ++clicks; });
    button.SetEnabled(false);
    button.Click();
    button.SetEnabled(true);
    button.Click();
    EXPECT_EQ(clicks, 1);
}

TEST(StartUp, BlankImageOfA24C02AndDeviceChoicesTouchOnlyTheSize) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ScriptedUser user;
    CKorvelDlg dlg(user);
    EXPECT_EQ(dlg.m_Filesize, "Size: 256 bytes");  // right before the window first shows
    dlg.OnInitDialog();
    EXPECT_TRUE(std::all_of(dlg.eebuf.begin(), dlg.eebuf.end(), [](auto b) { return b == 0xFF; }));

    dlg.eebuf[300] = 0x12;
    dlg.filename = "/images/chip.bin";
    const auto image = dlg.eebuf;
    for (const auto& [index, size] : {std::pair{9, "Size: 32768 bytes"}, {0, "Size: 16 bytes"}}) {
        dlg.m_DeviceCombo.SelectedByUser(index);
        dlg.OnSelchangeDeviceCombo();
        EXPECT_EQ(user.Last().size, size);
    }
    EXPECT_EQ(dlg.eebuf, image);
    EXPECT_EQ(dlg.filename, "/images/chip.bin");
    EXPECT_TRUE(user.boxes.empty());
}

}  // namespace

}  // namespace korvel
