#include <QApplication>

#include "app/CKorvelApp.h"
#include "platform/Signals.h"
#include "resources/Version.h"

namespace {

CKorvelApp theApp;

}  // namespace

int main(int argc, char* argv[]) {
    korvel::InstallSignalHandling();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvel"));
    QApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    theApp.InitInstance();
    return 0;
}
