#include <cstdio>

#include "dialog/KorvelDlg.h"

namespace korvel {

void CKorvelDlg::OnSelchangeCombo1(int index) {
    port_ = index;
    const Detection detection = programmer_.Detect(index + 1);
    // The window says only "Can't open port"; standard error and the port list's tooltip get
    // the reason.
    for (const std::string& note : DetectionNotes(detection)) {
        std::fprintf(stderr, "korvel: %s\n", note.c_str());
    }
    portProblem_ =
        detection.result == DetectionResult::CantOpen ? "Can't open " + PortProblem(detection) : "";
    host_.EnableDeviceButtons(detection.result == DetectionResult::Found);
    m_HwStat = HardwareLine(detection);
    UpdateData();
}

}  // namespace korvel
