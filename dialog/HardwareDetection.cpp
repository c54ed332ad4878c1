#include <cstdio>

#include "dialog/KorvelDlg.h"

namespace korvel {

void CKorvelDlg::OnSelchangeCombo1(int index) {
    port_ = index;
    const Detection detection = programmer_.Detect(index + 1);
    ReportOnTerminal(detection, index + 1);
    host_.EnableDeviceButtons(detection.result == DetectionResult::Found);
    m_HwStat = HardwareLine(detection);
    UpdateData();
}

// The window says only "Can't open port"; the terminal gets the reason, and a note on a slow
// adapter.
void CKorvelDlg::ReportOnTerminal(const Detection& detection, int portNumber) const {
    if (detection.result == DetectionResult::CantOpen) {
        std::fprintf(stderr, "korvel: can't open COM%d: %s\n", portNumber,
                     detection.problem.c_str());
    } else if (!detection.advice.empty()) {
        std::fprintf(stderr, "korvel: %s\n", detection.advice.c_str());
    }
}

}  // namespace korvel
