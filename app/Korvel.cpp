#include <QApplication>

#include "app/CKorvelApp.h"
#include "app/Version.h"

namespace {

CKorvelApp theApp;

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvel"));
    QApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    theApp.InitInstance();
    return 0;
}
