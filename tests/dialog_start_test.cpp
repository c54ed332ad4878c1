// The state the dialog starts in, what a choice in the device list changes, and detection of the
// board on the chosen port and what it does to the five device buttons.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "dialog/KorvelDlg.h"
#include "tests/support/Bounded.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/SimulatorProcess.h"

namespace korvel {

namespace {

using Texts = std::vector<std::string>;

// Records the order in which the buttons are switched.
struct SwitchLog : ButtonView {
    SwitchLog(Texts& log, const char* name) : log(log), name(name) {}
    void ShowEnabled(bool enabled) override { log.push_back(name + (enabled ? " on" : " off")); }
    Texts& log;
    std::string name;
};

// The dialog, its lists filled, with every device button watched.
struct Detection {
    Detection() {
        dlg.InitialiseState();
        CCommandButton* buttons[] = {&dlg.m_ReadButton, &dlg.m_WriteButton, &dlg.m_VerifyButton,
                                     &dlg.m_BlankButton, &dlg.m_EraseButton};
        for (int i = 0; i < 5; ++i) {
            buttons[i]->Bind(&views[i]);
        }
    }
    // Detection on COMn: the hardware line, then the buttons as they were switched.
    Texts On(int port) {
        log.clear();
        dlg.m_PortCombo.SelectedByUser(port - 1);
        dlg.OnSelchangeCombo1();
        log.insert(log.begin(), user.Last().hardware);
        return log;
    }

    Texts log;
    SwitchLog views[5] = {
        {log, "Read"}, {log, "Write"}, {log, "Verify"}, {log, "Blank"}, {log, "Erase"}};
    ScriptedUser user;
    CKorvelDlg dlg{user};
};

Texts Switched(const std::string& hardwareLine, const char* state) {
    Texts expected = {hardwareLine};
    for (const char* name : {"Read ", "Write ", "Verify ", "Blank ", "Erase "}) {
        expected.push_back(name + std::string(state));
    }
    return expected;
}

TEST(HardwareDetection, AnswerDecidesTheHardwareLineAndTheButtons) {
    const std::pair<Texts, Texts> cases[] = {
        {{}, Switched("Hardware v2.1", "on")},
        {{"--board-version", "2\\x00X"}, Switched("Hardware v2", "on")},
        {{"--short-version", "2"}, Switched("Hardware not found !", "off")},
    };
    for (const auto& [options, expected] : cases) {
        SimulatorProcess sim(options);
        EXPECT_EQ(Detection().On(2), expected);
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
                                   const Texts seen = Detection().On(2);
                                   return seen[0].rfind(expected, 0) == 0 && seen[0].size() == 13 &&
                                          seen[1] == "Read on";
                               }))
            << options[1] << " " << options[3];
    }
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
