#include "dialog/KorvelDlg.h"

namespace korvel {

void CKorvelDlg::OnClickReadbutton() {
    RunChipOperation(ChipOperation::Read);
}
void CKorvelDlg::OnClickVerifybutton() {
    RunChipOperation(ChipOperation::Verify);
}
void CKorvelDlg::OnClickBlankbutton() {
    RunChipOperation(ChipOperation::BlankCheck);
}
void CKorvelDlg::OnClickErasebutton() {
    RunChipOperation(ChipOperation::Erase);
}
void CKorvelDlg::OnClickWritebutton() {
    RunChipOperation(ChipOperation::Write);
}

// The progress after every address; an error's box at once, then the closing steps: the file
// line when the image no longer stands for its file, a check's success box, "Ready.".
void CKorvelDlg::RunChipOperation(ChipOperation operation) {
    const ChipOutcome outcome =
        programmer_.Run(operation, [this, operation](std::int32_t done, std::int32_t total) {
            m_Action = ProgressText(operation, done, total);
            UpdateData();
        });
    const std::optional<Message> message = OutcomeMessage(outcome);
    if (!outcome.Succeeded()) {
        MessageBox(*message);
    }
    if (UntiesImage(operation)) {
        m_File = FileLineText(programmer_.ImageName());
    } else if (message && outcome.Succeeded()) {
        MessageBox(*message);
    }
    m_Action = kReadyText;
    UpdateData();
}

}  // namespace korvel
