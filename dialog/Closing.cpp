#include "dialog/KorvelDlg.h"

namespace korvel {

namespace {

// Save, Discard or Cancel: IDYES, IDNO or IDCANCEL.
const Message kUnsavedQuestion = {"Warning", "Buffer not saved !\nSave it before closing ?",
                                  MessageIcon::Warning};
const Message kStopQuestion = {"Warning", "Stop the operation ?", MessageIcon::Warning};

}  // namespace

// Save goes as the Save button goes; the window closes only once the image is safely in a file.
bool CKorvelDlg::OnClose() {
    if (!programmer_.ImageUnsaved()) {
        return true;
    }
    switch (MessageBox(kUnsavedQuestion, MB_SAVEDISCARDCANCEL)) {
        case IDYES:
            OnClickSavebutton();
            return !programmer_.ImageUnsaved();
        case IDNO:
            return true;
        default:
            return false;
    }
}

// The operation goes on while the question is open; it is withdrawn once the operation is over.
void CKorvelDlg::OnStopRequest() {
    if (!running_ || askingToStop_) {
        return;
    }
    askingToStop_ = true;
    host_.AskAside(kStopQuestion.text, kStopQuestion.title, MB_YESNO | MB_ICONEXCLAMATION,
                   [this](int answer) {
                       askingToStop_ = false;
                       if (answer == IDYES && running_) {
                           programmer_.RequestStop();
                       }
                   });
}

void CKorvelDlg::OnImageEdited() {
    m_File = FileLineText(programmer_.ImageName());
    UpdateData();
}

}  // namespace korvel
