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

void CKorvelDlg::RunStoppable(const std::function<void()>& work) {
    running_ = true;
    work();
    running_ = false;
    if (askingToStop_) {
        askingToStop_ = false;
        host_.WithdrawAside();
    }
}

// The progress after every address; an error's box at once, then the closing steps: the file
// line when the image no longer stands for its file, a check's success box, "Ready.".
void CKorvelDlg::RunChipOperation(ChipOperation operation) {
    ChipOutcome outcome{operation};
    RunStoppable([&] {
        outcome =
            programmer_.Run(operation, [this, operation](std::int32_t done, std::int32_t total) {
                m_Action = ProgressText(operation, done, total);
                UpdateData();
            });
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

// The differences go to the image view; a box says how many there are, or why the comparison
// ended early.
void CKorvelDlg::OnCompareWithChip() {
    if (!programmer_.BoardFound()) {
        return;
    }
    CompareOutcome outcome{{ChipOperation::Read}, {}};
    RunStoppable([&] {
        outcome = programmer_.Compare([this](std::int32_t done, std::int32_t total) {
            m_Action = CompareProgressText(done, total);
            UpdateData();
        });
    });
    MessageBox(CompareMessage(outcome));
    m_Action = kReadyText;
    UpdateData();
}

}  // namespace korvel
