#include <QApplication>
#include <vector>

#include "app/CKorvelApp.h"
#include "platform/CommandLine.h"
#include "platform/Signals.h"
#include "resources/Version.h"

namespace korvel {
namespace {

CKorvelApp theApp;

const char* const kWindowUsage =
    "Usage: korvel [OPTION]...\n"
    "Opens Korvel's window, which reads, writes, verifies, blank-checks and erases 24Cxx\n"
    "EEPROMs through a programmer board on a serial port; korvel-cli does the same from\n"
    "the command line.\n"
    "\n"
    "Options:\n"
    "  -h, --help      show this help and exit\n"
    "  -V, --version   show the version and exit\n"
    "\n"
    "KORVEL_COM1 ... KORVEL_COM4 name the device for a port number; without them the\n"
    "machine's serial ports fill COM1 to COM4 (see 'korvel-cli ports').\n";

const option kWindowOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// Whether the command line asks for the usage or the version, which are answered before the
// toolkit starts: it needs a display. Anything else goes to the toolkit as it was (its own
// options, such as -platform), on a copy, for getopt reorders the words it reads.
CommandLineRequest AskedForHelpOrVersion(int argc, char** argv) {
    std::vector<char*> words(argv, argv + argc);
    words.push_back(nullptr);
    std::vector<std::string> operands;
    std::string error;
    return ReadCommandLine(
        argc, words.data(), "hV", kWindowOptions,
        [](int, const char*, std::string&) { return true; }, operands, error);
}

}  // namespace
}  // namespace korvel

int main(int argc, char* argv[]) {
    using namespace korvel;
    const CommandLineRequest request = AskedForHelpOrVersion(argc, argv);
    if (request == CommandLineRequest::Help || request == CommandLineRequest::Version) {
        return AnswerCommandLine(request, "korvel", kWindowUsage, KORVEL_VERSION, "");
    }
    InstallSignalHandling();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvel"));
    QApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    // The desktop matches the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.korvel.Korvel"));
    theApp.InitInstance();
    return 0;
}
