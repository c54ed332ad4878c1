#include <cstdio>

#include "dialog/KorvelDlg.h"
#include "platform/LowLatency.h"

namespace korvel {

bool CKorvelDlg::OpenCommPort(char PortNumber) {
    const std::string path = portNames.Device(PortNumber);
    portProblem_.clear();
    if (path.empty() || !board->Open(path)) {
        // The window says only "Can't open port"; the terminal and the port list's tooltip get
        // the reason, under the name the user knows the port by: "COM2: /dev/ttyS1: Permission
        // denied", or "/dev/ttyS1: Permission denied" for a port named by its path.
        std::string why = hComm.LastError();
        if (path.empty()) {
            why = PortNumber < 1 ? "no port selected"
                                 : "no serial device stands for it (set KORVEL_COM" +
                                       std::to_string(PortNumber) + ")";
        }
        const std::string label = portNames.Label(PortNumber);
        const std::string problem = why.rfind(label + ": ", 0) == 0 ? why : label + ": " + why;
        std::fprintf(stderr, "%s: can't open %s\n", program_.c_str(), problem.c_str());
        portProblem_ = "Can't open " + problem;
        return false;
    }
    for (const std::string& note : {hComm.Notice(), LatencyTimerAdvice(path)}) {
        if (!note.empty()) {
            std::fprintf(stderr, "%s: %s\n", program_.c_str(), note.c_str());
        }
    }
    return true;
}

void CKorvelDlg::CloseCommPort() {
    board->Close();
}

}  // namespace korvel
