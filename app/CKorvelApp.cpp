#include "app/CKorvelApp.h"

#include "app/KorvelWindow.h"

namespace korvel {

bool CKorvelApp::InitInstance() {
    KorvelWindow window;
    window.DoModal();
    return false;
}

}  // namespace korvel
