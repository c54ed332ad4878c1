#include "dialog/KorvelDlg.h"

#include <utility>

#include "boards/KorvelBoard.h"
#include "dialog/ProgramInfo.h"
#include "dialog/TextFormat.h"
#include "platform/TemporaryDirectory.h"

namespace korvel {

namespace {

constexpr const char* kPortNames[] = {"COM1", "COM2", "COM3", "COM4"};
constexpr int kDefaultDevice = 2;  // 24C02

}  // namespace

CKorvelDlg::CKorvelDlg(DialogHost& host, std::string program)
    : board(std::make_unique<KorvelBoard>()),
      hComm(board->port),
      reply(board->reply),
      m_Action(kProgramTitle),
      m_File(FileLineText(kNoFileName)),
      m_Filesize(SizeText(kDevices[kDefaultDevice].size)),
      m_HwStat("Hardware not found !"),
      host_(host),
      program_(std::move(program)) {}

bool CKorvelDlg::OnInitDialog() {
    InitialiseState();
    OnSelchangeCombo1();
    return true;
}

void CKorvelDlg::InitialiseState() {
    for (const DeviceType& type : kDevices) {
        m_DeviceCombo.AddString(type.name);
    }
    for (const char* port : kPortNames) {
        m_PortCombo.AddString(port);
    }
    UpdateData();

    tempdir = TemporaryDirectory();
    filename = kNoFileName;
    eebuf.fill(0xFF);
    // Selecting from the program raises no selection handler: index and size are set here.
    m_PortCombo.SetCurSel(portNames.StartPortNumber() - 1);
    m_DeviceCombo.SetCurSel(kDefaultDevice);
    device = kDefaultDevice;
    eebufsize = kDevices[kDefaultDevice].size;
}

void CKorvelDlg::OnDestroy() {
    CloseCommPort();
}

void CKorvelDlg::UpdateData() {
    host_.ShowStatusTexts({m_Action, m_File, m_Filesize, m_HwStat, portProblem_});
}

int CKorvelDlg::MessageBox(const std::string& text, const std::string& title, unsigned style) {
    return host_.ShowMessageBox(text, title, style);
}

}  // namespace korvel
