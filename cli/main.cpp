// korvel-cli: the dialog's operations from the command line, for scripts and production benches.
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "cli/CliOptions.h"
#include "cli/OneFileDialog.h"
#include "cli/TerminalHost.h"
#include "dialog/KorvelDlg.h"
#include "image/Crc32.h"
#include "image/Sha256.h"
#include "platform/Signals.h"
#include "resources/Version.h"

namespace korvel {

namespace {

struct DeviceOperationWord {
    const char* word;
    bool (CKorvelDlg::*run)();
    CCommandButton CKorvelDlg::*button;  // the operation runs only while its button is on
};

const DeviceOperationWord kDeviceOperations[] = {
    {"read", &CKorvelDlg::ReadChip, &CKorvelDlg::m_ReadButton},
    {"verify", &CKorvelDlg::VerifyChip, &CKorvelDlg::m_VerifyButton},
    {"blank", &CKorvelDlg::BlankCheckChip, &CKorvelDlg::m_BlankButton},
    {"erase", &CKorvelDlg::EraseChip, &CKorvelDlg::m_EraseButton},
    {"write", &CKorvelDlg::WriteChip, &CKorvelDlg::m_WriteButton},
};

// Why each port number stands for its device, as `ports` says it.
const char* const kOrigins[] = {"named on the command line", "environment", "found on this machine",
                                "nothing found for it"};

// One run of the command line: the dialog with its texts on the terminal.
class Session {
  public:
    explicit Session(const CliOptions& options)
        : options_(options),
          host_(isatty(STDERR_FILENO) == 1),
          dlg_(host_, "korvel-cli"),
          portLabel_(options.portDevice.empty() ? "COM" + std::to_string(options.port)
                                                : options.portDevice) {
        dlg_.InitialiseState();
        if (!options.portDevice.empty()) {
            dlg_.portNames.Name(options.port, options.portDevice);
        }
        dlg_.m_DeviceCombo.SelectedByUser(FindDevice(options.device.c_str()));
        dlg_.OnSelchangeDeviceCombo();
    }
    ~Session() { dlg_.OnDestroy(); }

    bool Run() {
        // A destination that cannot be written is found before any chip work, not after it.
        bool ok = (options_.in.empty() || Open()) &&
                  (options_.out.empty() || dlg_.MaySaveImage(options_.out));
        const bool needsBoard = std::any_of(
            options_.operations.begin(), options_.operations.end(), [](const std::string& word) {
                return word != "list" && word != "ports" && word != "sum";
            });
        if (ok && needsBoard && options_.operations.front() != "detect") {
            Detect();
        }
        for (const std::string& word : options_.operations) {
            ok = ok && RunOperation(word);
        }
        return ok && (options_.out.empty() || Save());
    }

  private:
    bool Detect() {
        dlg_.m_PortCombo.SelectedByUser(options_.port - 1);
        dlg_.OnSelchangeCombo1();
        std::printf("%s: %s\n", portLabel_.c_str(), Printable(dlg_.m_HwStat).c_str());
        return dlg_.m_ReadButton.GetEnabled();
    }

    bool Open() {
        OneFileDialog chooser(options_.in);
        dlg_.m_FileDialog.Bind(&chooser);
        const FileOutcome outcome = dlg_.OpenImage(FormatOf(options_.in));
        dlg_.m_FileDialog.Bind(nullptr);
        if (chooser.Refused()) {
            std::printf("Error: can't open %s\n", options_.in.c_str());
        }
        return outcome == FileOutcome::Done;
    }

    bool Save() {
        OneFileDialog chooser(options_.out);
        dlg_.m_FileDialog.Bind(&chooser);
        const FileOutcome outcome = dlg_.SaveImage(FormatOf(options_.out));
        dlg_.m_FileDialog.Bind(nullptr);
        return outcome == FileOutcome::Done;
    }

    ImageFormat FormatOf(const std::string& path) const {
        return options_.format.value_or(ImageFormatOfPath(path));
    }

    // The sums of the image as the chip holds it, to compare with those of a known dump.
    void PrintSums() {
        const auto size = static_cast<std::size_t>(dlg_.eebufsize);
        std::printf("CRC-32: %s\nSHA-256: %s\n", Crc32Hex(dlg_.eebuf.data(), size).c_str(),
                    Sha256Hex(dlg_.eebuf.data(), size).c_str());
    }

    void ListPorts() {
        const std::vector<PortAssignment> ports = dlg_.portNames.Assignments();
        for (std::size_t i = 0; i < ports.size(); ++i) {
            const PortAssignment& port = ports[i];
            const std::string why = kOrigins[static_cast<int>(port.origin)] +
                                    (port.detail.empty() ? "" : ": " + port.detail);
            std::printf("COM%zu: %s (%s)\n", i + 1,
                        port.device.empty() ? "none" : Printable(port.device).c_str(),
                        Printable(why).c_str());
        }
    }

    bool RunOperation(const std::string& word) {
        if (word == "detect") {
            return Detect();
        }
        if (word == "ports") {
            ListPorts();
            return true;
        }
        if (word == "sum") {
            PrintSums();
            return true;
        }
        if (word == "list") {
            const std::string path = dlg_.WriteBufferListing(false);
            if (!path.empty()) {
                std::printf("%s\n", path.c_str());
            }
            return !path.empty();
        }
        const auto operation =
            std::find_if(std::begin(kDeviceOperations), std::end(kDeviceOperations),
                         [&](const DeviceOperationWord& entry) { return word == entry.word; });
        if (!(dlg_.*operation->button).GetEnabled()) {
            std::printf("%s: %s\n", word.c_str(), Printable(dlg_.m_HwStat).c_str());
            return false;
        }
        return (dlg_.*operation->run)();
    }

    const CliOptions& options_;
    TerminalHost host_;
    CKorvelDlg dlg_;
    std::string portLabel_;  // how the port is named in what is printed
};

}  // namespace

}  // namespace korvel

int main(int argc, char** argv) {
    using namespace korvel;
    // Each line whole and at once, so that a log keeps the order of what happened.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    CliOptions options;
    std::string error;
    const CommandLineRequest request = ParseCliOptions(argc, argv, options, error);
    if (request != CommandLineRequest::Run) {
        return AnswerCommandLine(request, "korvel-cli", kCliUsage, KORVEL_VERSION, error);
    }
    InstallSignalHandling();
    Session session(options);
    return session.Run() ? 0 : 1;
}
