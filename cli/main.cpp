// korvel-cli: the dialog's operations from the command line, for scripts and production benches.
#include <algorithm>
#include <cstdio>

#include "cli/CliOptions.h"
#include "cli/OneFileDialog.h"
#include "cli/TerminalHost.h"
#include "dialog/ControlIds.h"
#include "dialog/KorvelDlg.h"

namespace {

struct DeviceOperationWord {
    const char* word;
    CCommandButton CKorvelDlg::*button;
    int control;
};

const DeviceOperationWord kDeviceOperations[] = {
    {"read", &CKorvelDlg::m_ReadButton, IDC_READBUTTON},
    {"verify", &CKorvelDlg::m_VerifyButton, IDC_VERIFYBUTTON},
    {"blank", &CKorvelDlg::m_BlankButton, IDC_BLANKBUTTON},
    {"erase", &CKorvelDlg::m_EraseButton, IDC_ERASEBUTTON},
    {"write", &CKorvelDlg::m_WriteButton, IDC_WRITEBUTTON},
};

bool Detect(CKorvelDlg& dlg, int port) {
    dlg.m_PortCombo.SelectedByUser(port - 1);
    dlg.OnSelchangeCombo1();
    std::printf("COM%d: %s\n", port, dlg.m_HwStat.c_str());
    return dlg.m_ReadButton.GetEnabled();
}

// Runs Open or Save on the named file; false when the file was refused or a box complained.
bool OnFile(CKorvelDlg& dlg, TerminalHost& host, const std::string& path, int control) {
    OneFileDialog chooser(path);
    dlg.m_FileDialog.Bind(&chooser);
    dlg.OnClick(control);
    dlg.m_FileDialog.Bind(nullptr);
    if (chooser.Refused()) {
        std::printf("Error: can't open %s\n", path.c_str());
        return false;
    }
    return !host.TakeComplaint();
}

bool RunOperation(CKorvelDlg& dlg, TerminalHost& host, const CliOptions& options,
                  const std::string& word) {
    if (word == "detect") {
        return Detect(dlg, options.port);
    }
    if (word == "list") {
        const std::string path = dlg.WriteBufferListing(false);
        if (!path.empty()) {
            std::printf("%s\n", path.c_str());
        }
        return !path.empty();
    }
    for (const DeviceOperationWord& operation : kDeviceOperations) {
        if (word != operation.word) {
            continue;
        }
        if (!(dlg.*operation.button).GetEnabled()) {
            std::printf("%s: %s\n", word.c_str(), dlg.m_HwStat.c_str());
            return false;
        }
        dlg.OnClick(operation.control);
        return !host.TakeComplaint();
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "korvel-cli: %s\n%s", error.c_str(), kCliUsage);
        return 2;
    }
    TerminalHost host;
    CKorvelDlg dlg(host);
    dlg.InitialiseState();
    dlg.m_DeviceCombo.SelectedByUser(FindDevice(options.device.c_str()));
    dlg.OnSelchangeDeviceCombo();

    bool ok = options.in.empty() || OnFile(dlg, host, options.in, IDC_OPENBUTTON);
    const bool needsBoard = std::any_of(options.operations.begin(), options.operations.end(),
                                        [](const std::string& word) { return word != "list"; });
    if (ok && needsBoard && options.operations.front() != "detect") {
        Detect(dlg, options.port);
    }
    for (const std::string& word : options.operations) {
        ok = ok && RunOperation(dlg, host, options, word);
    }
    if (ok && !options.out.empty()) {
        ok = OnFile(dlg, host, options.out, IDC_SAVEBUTTON);
    }
    dlg.OnDestroy();
    return ok ? 0 : 1;
}
