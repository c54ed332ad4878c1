#include "dialog/KorvelDlg.h"

namespace {

// A board that says more than three bytes sends them back to back: 20 ms of silence, some twenty
// byte times at 9600 baud, mean it has finished. One that goes on talking is cut off after
// 100 ms, some hundred bytes.
constexpr int kAnswerEndQuietMs = 20;
constexpr int kAnswerEndLimitMs = 100;

}  // namespace

void CKorvelDlg::OnSelchangeCombo1() {
    CloseCommPort();
    const int portNumber = m_PortCombo.GetCurSel() + 1;
    std::string text = "Can't open port";
    bool found = false;
    if (OpenCommPort(static_cast<char>(portNumber))) {
        // Whatever the board sent before the question is no part of its answer.
        hComm.DiscardInput();
        SendByte('F');
        char answer[4] = {};
        if (hComm.Read(reinterpret_cast<std::uint8_t*>(answer), 3) == 3) {
            hComm.DiscardInputUntilQuiet(kAnswerEndQuietMs, kAnswerEndLimitMs);
            answer[3] = '\0';
            text = std::string("Hardware v") + answer;  // ends at a zero byte of the answer
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
