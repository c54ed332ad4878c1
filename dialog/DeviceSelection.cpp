#include "dialog/KorvelDlg.h"
#include "dialog/TextFormat.h"

namespace korvel {

void CKorvelDlg::OnSelchangeDeviceCombo() {
    const int selected = m_DeviceCombo.GetCurSel();
    // The list holds exactly the catalogue; a list without a selection changes nothing.
    if (selected < 0 || selected >= kDeviceCount) {
        return;
    }
    eebufsize = kDevices[selected].size;
    device = static_cast<std::int8_t>(selected);
    m_Filesize = SizeText(eebufsize);
    UpdateData();
}

}  // namespace korvel
