#include "dialog/KorvelDlg.h"

#include "programmer/FormatText.h"
#include "programmer/ProgramInfo.h"

namespace korvel {

namespace {

unsigned StyleOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Warning:
            return MB_ICONEXCLAMATION;
        case MessageIcon::Stop:
            return MB_ICONSTOP;
        case MessageIcon::None:
        default:
            return 0;
    }
}

}  // namespace

std::string SizeText(std::int32_t bytes) {
    return FormatText("Size: %d bytes", bytes);
}

std::string FileLineText(const std::string& imageName) {
    return "File: " + imageName;
}

CKorvelDlg::CKorvelDlg(DialogHost& host)
    : host_(host),
      m_Action(kProgramTitle),
      m_File(FileLineText(kNoFileName)),
      m_Filesize(SizeText(programmer_.Chip().size)),
      m_HwStat("Hardware not found !") {}

void CKorvelDlg::OnInitDialog() {
    UpdateData();
    OnSelchangeCombo1(programmer_.Ports().StartPortNumber() - 1);
}

void CKorvelDlg::OnDestroy() {
    programmer_.Disconnect();
}

std::vector<std::string> CKorvelDlg::DeviceNames() {
    std::vector<std::string> names;
    for (const ChipType& type : kChipTypes) {
        names.emplace_back(type.name);
    }
    return names;
}

std::vector<std::string> CKorvelDlg::PortNames() {
    std::vector<std::string> names;
    for (int number = 1; number <= kPortCount; ++number) {
        names.push_back("COM" + std::to_string(number));
    }
    return names;
}

// Nothing else changes: not the image, not its file, not the port.
void CKorvelDlg::OnSelchangeDeviceCombo(int row) {
    if (row < 0 || row >= kChipTypeCount) {
        return;
    }
    programmer_.SelectChip(row);
    m_Filesize = SizeText(programmer_.Chip().size);
    UpdateData();
}

void CKorvelDlg::UpdateData() {
    host_.ShowStatusTexts(Texts());
}

int CKorvelDlg::MessageBox(const Message& message, unsigned buttons) {
    return host_.ShowMessageBox(message.text, message.title, buttons | StyleOf(message.icon));
}

}  // namespace korvel
