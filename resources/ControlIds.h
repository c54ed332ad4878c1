#pragma once

namespace korvel {

// Control identifiers of the main dialog.
enum ControlId : int {
    IDC_STATUS = 1002,
    IDC_OPENBUTTON = 1004,
    IDC_SAVEBUTTON = 1005,
    IDC_READBUTTON = 1006,
    IDC_WRITEBUTTON = 1007,
    IDC_BLANKBUTTON = 1008,
    IDC_ERASEBUTTON = 1009,
    IDC_VERIFYBUTTON = 1010,
    IDC_BUFFERBUTTON = 1011,
    IDC_PORTCOMBO = 1014,
    IDC_DEVICECOMBO = 1015,
    IDC_FILELINE = 1025,
    IDC_SIZELINE = 1026,
    IDC_HWSTAT = 1028,
};

}  // namespace korvel
