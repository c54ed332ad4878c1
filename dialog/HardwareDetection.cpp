#include "dialog/KorvelDlg.h"

namespace korvel {

void CKorvelDlg::OnSelchangeCombo1() {
    CloseCommPort();
    const int portNumber = m_PortCombo.GetCurSel() + 1;
    std::string text = "Can't open port";
    bool found = false;
    if (OpenCommPort(static_cast<char>(portNumber))) {
        std::string answer;
        if (board->AskVersion(answer)) {
            // The answer is text: it ends at a zero byte.
            text = "Hardware v" + answer.substr(0, answer.find('\0'));
            found = true;
        } else {
            text = "Hardware not found !";
        }
    }
    for (CCommandButton* button :
         {&m_ReadButton, &m_WriteButton, &m_VerifyButton, &m_BlankButton, &m_EraseButton}) {
        button->SetEnabled(found);
    }
    m_HwStat = text;
    UpdateData();
}

}  // namespace korvel
