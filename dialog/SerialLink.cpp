#include <cstdio>

#include "dialog/KorvelDlg.h"
#include "platform/LowLatency.h"

namespace korvel {

bool CKorvelDlg::OpenCommPort(char PortNumber) {
    const std::string path = portNames.Device(PortNumber);
    if (path.empty() || !board->Open(path)) {
        // The window says only "Can't open port"; the terminal gets the reason.
        std::string why = hComm.LastError();
        if (path.empty()) {
            why = PortNumber < 1 ? "no port selected"
                                 : "no serial device stands for it (set KORVEL_COM" +
                                       std::to_string(PortNumber) + ")";
        }
        std::fprintf(stderr, "korvel: can't open COM%d: %s\n", PortNumber, why.c_str());
        return false;
    }
    for (const std::string& note : {hComm.Notice(), LatencyTimerAdvice(path)}) {
        if (!note.empty()) {
            std::fprintf(stderr, "korvel: %s\n", note.c_str());
        }
    }
    return true;
}

void CKorvelDlg::CloseCommPort() {
    board->Close();
}

}  // namespace korvel
