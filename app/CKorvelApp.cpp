#include "app/CKorvelApp.h"

#include "app/KorvelWindow.h"

namespace korvel {

void CKorvelApp::InitInstance() {
    KorvelWindow window;
    window.DoModal();
}

}  // namespace korvel
