// Detection of the board on the chosen port, and what it does to the five device buttons.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/support/BoardSession.h"
#include "tests/support/Stopwatch.h"

namespace {

// Records the order in which the buttons are switched.
struct SwitchLog : ButtonView {
    SwitchLog(std::vector<std::string>& log, std::string name) : log(log), name(std::move(name)) {}
    void ShowEnabled(bool enabled) override { log.push_back(name + (enabled ? " on" : " off")); }
    std::vector<std::string>& log;
    std::string name;
};

bool AllSwitched(CKorvelDlg& dlg, bool on) {
    for (CCommandButton* button : {&dlg.m_ReadButton, &dlg.m_WriteButton, &dlg.m_VerifyButton,
                                   &dlg.m_BlankButton, &dlg.m_EraseButton}) {
        if (button->GetEnabled() != on) {
            return false;
        }
    }
    return true;
}

std::string HardwareLineFor(const std::vector<std::string>& options) {
    BoardSession session(options);
    EXPECT_TRUE(AllSwitched(session.dlg, session.dlg.m_HwStat.rfind("Hardware v", 0) == 0));
    EXPECT_EQ(session.host.Last().hardware, session.dlg.m_HwStat);
    EXPECT_TRUE(session.host.boxes.empty());
    return session.dlg.m_HwStat;
}

TEST(HardwareDetection, AnswerDecidesTheHardwareLine) {
    EXPECT_EQ(HardwareLineFor({}), "Hardware v2.1");
    EXPECT_EQ(HardwareLineFor({"--version", "3.0"}), "Hardware v3.0");
    EXPECT_EQ(HardwareLineFor({"--version", "2\\x00X"}), "Hardware v2");
    EXPECT_EQ(HardwareLineFor({"--version", "2.1 and more"}), "Hardware v2.1");
    EXPECT_EQ(HardwareLineFor({"--short-version", "2"}), "Hardware not found !");
    EXPECT_EQ(HardwareLineFor({"--short-version", "0"}), "Hardware not found !");
}

TEST(HardwareDetection, SilentBoardIsNotFoundWithinTheReadLimit) {
    SimulatorProcess sim({"--silent-after", "0"});
    sim.ServeAsPort(2);
    RecordingHost host;
    CKorvelDlg dlg(host);
    Stopwatch watch;
    dlg.OnInitDialog();
    EXPECT_LT(watch.Ms(), 1500);
    EXPECT_EQ(dlg.m_HwStat, "Hardware not found !");
    EXPECT_TRUE(AllSwitched(dlg, false));
    EXPECT_TRUE(dlg.hComm.IsOpen());  // open, only the board is missing
}

TEST(HardwareDetection, SwitchesTheFiveButtonsInOrder) {
    SimulatorProcess sim;
    sim.ServeAsPort(2);
    RecordingHost host;
    CKorvelDlg dlg(host);
    std::vector<std::string> log;
    SwitchLog read(log, "Read"), write(log, "Write"), verify(log, "Verify"), blank(log, "Blank"),
        erase(log, "Erase");
    dlg.m_ReadButton.Bind(&read);
    dlg.m_WriteButton.Bind(&write);
    dlg.m_VerifyButton.Bind(&verify);
    dlg.m_BlankButton.Bind(&blank);
    dlg.m_EraseButton.Bind(&erase);
    log.clear();
    dlg.OnInitDialog();
    const std::vector<std::string> on = {"Read on", "Write on", "Verify on", "Blank on",
                                         "Erase on"};
    EXPECT_EQ(log, on);

    // Another port without a board switches them off again; back on COM2 they come back.
    setenv("KORVEL_COM4", "/dev/korvel-no-such-port", 1);
    dlg.m_PortCombo.SelectedByUser(3);
    dlg.OnSelchangeCombo1();
    EXPECT_EQ(dlg.m_HwStat, "Can't open port");
    EXPECT_TRUE(AllSwitched(dlg, false));
    EXPECT_EQ(log.back(), "Erase off");
    dlg.m_PortCombo.SelectedByUser(1);
    dlg.OnSelchangeCombo1();
    dlg.OnSelchangeCombo1();  // the same port again: closed, reopened, asked again
    EXPECT_EQ(dlg.m_HwStat, "Hardware v2.1");
    EXPECT_TRUE(AllSwitched(dlg, true));
    sim.Stop();
    EXPECT_EQ(sim.Trace(), std::vector<std::string>(3, "46 -> 32 2E 31"));
}

TEST(HardwareDetection, PortThatCannotBeOpenedDisablesTheButtons) {
    SimulatorProcess sim;
    sim.ServeAsPort(2);
    RecordingHost host;
    CKorvelDlg holder(host);
    ASSERT_TRUE(holder.OpenCommPort(2));
    CKorvelDlg dlg(host);
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.m_HwStat, "Can't open port");
    EXPECT_TRUE(AllSwitched(dlg, false));

    // No selection in the port list names port 0, which never opens.
    holder.CloseCommPort();
    dlg.m_PortCombo.SelectedByUser(-1);
    dlg.OnSelchangeCombo1();
    EXPECT_EQ(dlg.m_HwStat, "Can't open port");
}

TEST(CommandButton, ClickRunsItsHandlerOnlyWhileEnabled) {
    CCommandButton button;
    int clicks = 0;
    button.SetClickHandler([&] { ++clicks; });
    button.Click();
    button.SetEnabled(false);
    button.Click();
    button.SetEnabled(false);
    button.SetEnabled(true);
    button.Click();
    EXPECT_EQ(clicks, 2);
}

}  // namespace
