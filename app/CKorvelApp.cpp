#include "app/CKorvelApp.h"

#include "app/KorvelWindow.h"

bool CKorvelApp::InitInstance() {
    KorvelWindow window;
    window.DoModal();
    return false;
}
