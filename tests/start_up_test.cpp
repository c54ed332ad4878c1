// The state the dialog starts in, and what a choice in the device list changes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "dialog/KorvelDlg.h"
#include "tests/support/ScriptedUser.h"

namespace korvel {

namespace {

TEST(StartUp, BlankImageOfA24C02AndDeviceChoicesTouchOnlyTheSize) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ScriptedUser user;
    CKorvelDlg dlg(user);
    EXPECT_EQ(dlg.m_Filesize, "Size: 256 bytes");  // right before the window first shows
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.eebuf.size(), 32769u);
    EXPECT_TRUE(std::all_of(dlg.eebuf.begin(), dlg.eebuf.end(), [](auto b) { return b == 0xFF; }));
    EXPECT_EQ(dlg.device, 2);
    EXPECT_EQ(dlg.eebufsize, 256);
    EXPECT_EQ(dlg.filename, "[buffer]");

    dlg.eebuf[300] = 0x12;
    dlg.filename = "/images/chip.bin";
    const auto image = dlg.eebuf;
    const std::size_t pushes = user.pushes.size();
    const std::pair<int, int> choices[] = {{9, 32768}, {0, 16}, {5, 2048}};
    for (const auto& [index, size] : choices) {
        dlg.m_DeviceCombo.SelectedByUser(index);
        dlg.OnSelchangeDeviceCombo();
        EXPECT_EQ(dlg.device, index);
        EXPECT_EQ(dlg.eebufsize, size);
        EXPECT_EQ(user.Last().size, "Size: " + std::to_string(size) + " bytes");
    }
    EXPECT_EQ(user.pushes.size(), pushes + 3);
    EXPECT_EQ(dlg.eebuf, image);
    EXPECT_EQ(dlg.filename, "/images/chip.bin");
    EXPECT_TRUE(user.Boxes().empty());
}

}  // namespace

}  // namespace korvel
