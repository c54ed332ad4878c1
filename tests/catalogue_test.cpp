// The device catalogue, the start-up state and the device list selection.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>

#include "dialog/KorvelDlg.h"
#include "tests/support/RecordingHost.h"

namespace {

TEST(Catalogue, HoldsTheTenTypesInListOrder) {
    struct Expected {
        const char* name;
        int size;
        int mode;
    };
    const Expected table[] = {{"24C00", 16, 0},    {"24C01", 128, 0},  {"24C02", 256, 0},
                              {"24C04", 512, 0},   {"24C08", 1024, 0}, {"24C16", 2048, 0},
                              {"24C32", 4096, 1},  {"24C64", 8192, 1}, {"24C128", 16384, 1},
                              {"24C256", 32768, 1}};
    for (int i = 0; i < kDeviceCount; ++i) {
        EXPECT_STREQ(kDevices[i].name, table[i].name);
        EXPECT_EQ(kDevices[i].size, table[i].size) << table[i].name;
        EXPECT_EQ(kDevices[i].addressMode, table[i].mode) << table[i].name;
        EXPECT_EQ(TakesTwoAddressBytes(i), table[i].mode == 1) << table[i].name;
        EXPECT_EQ(FindDevice(table[i].name), i);
    }
    EXPECT_EQ(FindDevice("24c16"), 5);
    EXPECT_EQ(FindDevice("24C512"), -1);
    const std::uint8_t selects[] = {0xA0, 0xA2, 0xA4, 0xA6, 0xA8, 0xAA, 0xAC, 0xAE};
    for (int block = 0; block < 8; ++block) {
        EXPECT_EQ(SelectByte(block), selects[block]);
    }
}

TEST(StartUp, ImageIsBlankAnd24C02IsSelected) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    RecordingHost host;
    CKorvelDlg dlg(host);
    // The size line is right before the window first shows, ahead of initialisation.
    EXPECT_EQ(dlg.m_Filesize, "Size: 256 bytes");
    EXPECT_EQ(dlg.m_Action, "Korvel v3.0");
    EXPECT_EQ(dlg.m_File, "File: [buffer]");
    EXPECT_EQ(dlg.m_HwStat, "Hardware not found !");

    dlg.OnInitDialog();
    EXPECT_EQ(dlg.eebuf.size(), 32769u);
    EXPECT_TRUE(std::all_of(dlg.eebuf.begin(), dlg.eebuf.end(), [](auto b) { return b == 0xFF; }));
    EXPECT_EQ(dlg.device, 2);
    EXPECT_EQ(dlg.eebufsize, 256);
    EXPECT_EQ(dlg.filename, "[buffer]");
    ASSERT_EQ(dlg.m_DeviceCombo.GetCount(), 10);
    EXPECT_EQ(dlg.m_DeviceCombo.GetText(dlg.m_DeviceCombo.GetCurSel()), "24C02");
    ASSERT_EQ(dlg.m_PortCombo.GetCount(), 4);
    EXPECT_EQ(dlg.m_PortCombo.GetText(0), "COM1");
    EXPECT_EQ(dlg.m_PortCombo.GetText(3), "COM4");
    EXPECT_EQ(dlg.m_PortCombo.GetText(dlg.m_PortCombo.GetCurSel()), "COM2");
    ASSERT_FALSE(host.pushes.empty());
    EXPECT_EQ(host.pushes.front().size, "Size: 256 bytes");
}

TEST(DeviceSelection, ChangesOnlyTypeSizeAndSizeLine) {
    RecordingHost host;
    CKorvelDlg dlg(host);
    dlg.InitialiseState();
    dlg.filename = "/data/dump.bin";
    dlg.m_File = "File: /data/dump.bin";
    dlg.eebuf[300] = 0x12;
    dlg.eebuf[32767] = 0x34;
    const auto image = dlg.eebuf;
    const std::size_t pushesBefore = host.pushes.size();

    dlg.m_DeviceCombo.SelectedByUser(9);
    dlg.OnSelchangeDeviceCombo();
    EXPECT_EQ(dlg.device, 9);
    EXPECT_EQ(dlg.eebufsize, 32768);
    EXPECT_EQ(dlg.m_Filesize, "Size: 32768 bytes");
    EXPECT_EQ(host.pushes.size(), pushesBefore + 1);
    EXPECT_EQ(host.Last().size, "Size: 32768 bytes");

    // Down to the smallest and back: the bytes in between stay.
    dlg.m_DeviceCombo.SelectedByUser(0);
    dlg.OnSelchangeDeviceCombo();
    EXPECT_EQ(dlg.eebufsize, 16);
    dlg.m_DeviceCombo.SelectedByUser(5);
    dlg.OnSelchangeDeviceCombo();
    EXPECT_EQ(dlg.device, 5);
    EXPECT_EQ(dlg.eebufsize, 2048);

    EXPECT_EQ(dlg.eebuf, image);
    EXPECT_EQ(dlg.filename, "/data/dump.bin");
    EXPECT_EQ(host.Last().file, "File: /data/dump.bin");
    EXPECT_EQ(host.boxes.size(), 0u);
}

TEST(ComboBox, SortedListKeepsSelectionOnItsEntry) {
    korvel::CComboBox sorted(true);
    sorted.AddString("COM3");
    sorted.AddString("COM1");
    sorted.SetCurSel(0);  // COM1
    sorted.AddString("COM2");
    EXPECT_EQ(sorted.GetText(0), "COM1");
    EXPECT_EQ(sorted.GetText(1), "COM2");
    EXPECT_EQ(sorted.GetText(sorted.GetCurSel()), "COM1");
    sorted.AddString("COM0");
    EXPECT_EQ(sorted.GetText(sorted.GetCurSel()), "COM1");
    sorted.SetCurSel(7);
    EXPECT_EQ(sorted.GetCurSel(), -1);
}

}  // namespace
