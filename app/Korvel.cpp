#include <QApplication>

#include "app/CKorvelApp.h"
#include "platform/Signals.h"
#include "resources/Version.h"

namespace korvel {
namespace {

CKorvelApp theApp;

}  // namespace
}  // namespace korvel

int main(int argc, char* argv[]) {
    using namespace korvel;
    InstallSignalHandling();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvel"));
    QApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    // The desktop matches the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.korvel.Korvel"));
    theApp.InitInstance();
    return 0;
}
