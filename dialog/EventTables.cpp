#include "dialog/ControlIds.h"
#include "dialog/KorvelDlg.h"

namespace korvel {

namespace {

struct Route {
    int control;
    void (CKorvelDlg::*handler)();
};

// Click of each command button.
constexpr Route kEventSinkMap[] = {
    {IDC_BUFFERBUTTON, &CKorvelDlg::OnClickBufferbutton},
    {IDC_OPENBUTTON, &CKorvelDlg::OnClickOpenbutton},
    {IDC_BLANKBUTTON, &CKorvelDlg::OnClickBlankbutton},
    {IDC_SAVEBUTTON, &CKorvelDlg::OnClickSavebutton},
    {IDC_READBUTTON, &CKorvelDlg::OnClickReadbutton},
    {IDC_WRITEBUTTON, &CKorvelDlg::OnClickWritebutton},
    {IDC_ERASEBUTTON, &CKorvelDlg::OnClickErasebutton},
    {IDC_VERIFYBUTTON, &CKorvelDlg::OnClickVerifybutton},
};

// Selection change of each list.
constexpr Route kSelchangeMap[] = {
    {IDC_DEVICECOMBO, &CKorvelDlg::OnSelchangeDeviceCombo},
    {IDC_PORTCOMBO, &CKorvelDlg::OnSelchangeCombo1},
};

template <std::size_t N>
void Dispatch(CKorvelDlg& dlg, const Route (&table)[N], int control) {
    for (const Route& route : table) {
        if (route.control == control) {
            (dlg.*route.handler)();
            return;
        }
    }
}

}  // namespace

void CKorvelDlg::OnClick(int control) {
    Dispatch(*this, kEventSinkMap, control);
}

void CKorvelDlg::OnSelchange(int control) {
    Dispatch(*this, kSelchangeMap, control);
}

}  // namespace korvel
